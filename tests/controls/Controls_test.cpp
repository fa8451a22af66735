// Panels, focus holder, combo boxes, contents list box and cursors, driven as real widgets.
#include <QLineEdit>
#include <QPainter>
#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include "controls/ProgramCursors.h"
#include "controls/TCngLstBox.h"
#include "controls/TEnablePanel.h"
#include "controls/TFocusControl.h"
#include "controls/TLabel_Speed.h"
#include "controls/TPaintComboBox.h"
#include "controls/TPanelExt.h"

using namespace tavlex;

class ControlsTest : public QObject {
    Q_OBJECT

  private slots:
    void enablePanelHandsItsStateToEverythingInside() {
        QWidget form;
        TEnablePanel panel(&form);
        auto* label = new TLabel_Speed(QStringLiteral("表示率"), &panel);
        auto* box = new TPaintComboBox(&panel);
        box->setEnabled(false);  // disabled on its own: enabling the panel still enables it
        panel.setEnabled(false);
        QVERIFY(!label->isEnabled());
        QVERIFY(!box->isEnabled());
        panel.setEnabled(true);
        QVERIFY(label->isEnabled());
        QVERIFY(box->isEnabled());
        QVERIFY(form.isEnabled());

        panel.SetUpdateParent(true);
        panel.SetPanelEnabled(false);
        QVERIFY(!form.isEnabled());
        panel.SetPanelEnabled(true);
        QVERIFY(form.isEnabled());
        QVERIFY(box->isEnabled());
    }

    void focusHolderKeepsEveryKey_data() {
        QTest::addColumn<int>("key");
        for (int key :
             {int(Qt::Key_Tab), int(Qt::Key_Backtab), int(Qt::Key_Left), int(Qt::Key_Right),
              int(Qt::Key_Up), int(Qt::Key_Down), int(Qt::Key_Return), int(Qt::Key_Escape)}) {
            QTest::addRow("%s", QKeySequence(key).toString().toLatin1().constData()) << key;
        }
    }

    void focusHolderKeepsEveryKey() {
        QFETCH(int, key);
        QWidget form;
        auto* layout = new QVBoxLayout(&form);
        auto* before = new QLineEdit(&form);
        auto* holder = new TFocusControl(&form);
        auto* after = new QLineEdit(&form);
        layout->addWidget(before);
        layout->addWidget(holder);
        layout->addWidget(after);
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        holder->setFocus();
        QTRY_VERIFY(holder->hasFocus());
        QList<int> seen;
        connect(holder, &TFocusControl::KeyDown, holder, [&](QKeyEvent* event) {
            seen << event->key();
            event->accept();
        });
        QTest::keyClick(holder, Qt::Key(key));
        QCOMPARE(seen, QList<int>{key});
        QVERIFY(holder->hasFocus());
    }

    void focusHolderReportsEnterAndExit() {
        QWidget form;
        auto* layout = new QVBoxLayout(&form);
        auto* holder = new TFocusControl(&form);
        auto* other = new QLineEdit(&form);
        layout->addWidget(holder);
        layout->addWidget(other);
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        other->setFocus();
        QTRY_VERIFY(other->hasFocus());
        QSignalSpy entered(holder, &TFocusControl::Entered);
        QSignalSpy exited(holder, &TFocusControl::Exited);
        holder->setFocus();
        QTRY_COMPARE(entered.count(), 1);
        other->setFocus();
        QTRY_COMPARE(exited.count(), 1);
    }

    void listReportsProgramSetIndexEvenWhenUnchanged() {
        TCngLstBox list;
        list.addItems({"a", "b", "c", "d"});
        QSignalSpy changes(&list, &TCngLstBox::IndexChange);
        list.SetItemIndex(2);
        QCOMPARE(changes.count(), 1);
        QCOMPARE(list.ItemIndex(), 2);
        list.SetItemIndex(2);
        QCOMPARE(changes.count(), 2);
        list.SetItemIndex(-1);
        QCOMPARE(list.ItemIndex(), -1);
        QCOMPARE(changes.count(), 3);
    }

    void listReportsOneChangePerKeyMove() {
        TCngLstBox list;
        list.addItems({"a", "b", "c", "d"});
        list.show();
        QVERIFY(QTest::qWaitForWindowActive(&list));
        list.SetItemIndex(0);
        QSignalSpy changes(&list, &TCngLstBox::IndexChange);
        QTest::keyClick(&list, Qt::Key_Down);
        QCOMPARE(changes.count(), 1);
        QTest::keyClick(&list, Qt::Key_Down);
        QCOMPARE(changes.count(), 2);
        QCOMPARE(list.ItemIndex(), 2);
    }

    void listDrawsNothingWhileAsleep() {
        TCngLstBox list;
        list.resize(120, 100);
        list.addItems({"a", "b", "c"});
        int drawn = 0;
        list.SetDrawItemHandler([&](QPainter& painter, int, const QRect& rect, QStyle::State) {
            ++drawn;
            painter.fillRect(rect, Qt::red);
        });
        list.SetItemHeight(17);
        list.SetSleepUpdate(true);
        list.grab();
        QCOMPARE(drawn, 0);
        list.SetSleepUpdate(false);
        const QImage image = list.grab().toImage();
        QCOMPARE(drawn, 3);
        QCOMPARE(list.visualItemRect(list.item(1)).height(), 17);
        const QPoint inItem =
            list.viewport()->mapTo(&list, list.visualItemRect(list.item(0)).center());
        QCOMPARE(image.pixelColor(inItem), QColor(Qt::red));
    }

    void comboClosingItsListFiresCloseUpFirst() {
        TPaintComboBox box;
        box.addItems({" 50 %", " 60 %"});
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QSignalSpy closeUp(&box, &TPaintComboBox::CloseUp);
        box.showPopup();
        box.hidePopup();
        QCOMPARE(closeUp.count(), 1);
    }

    void comboLetsThePanelShowAroundItAndShowsTheChosenItem() {
        TEnablePanel panel;
        panel.SetBevelOuter(BevelCut::None);
        panel.SetColor(QColor(255, 0, 255));
        panel.resize(200, 28);
        auto* box = new TPaintComboBox(&panel);
        box->addItems({" 幅に合わせる", " 全体表示", " 200 %"});
        box->setGeometry(10, 3, 150, 22);
        box->setCurrentIndex(2);
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        const QImage image = panel.grab().toImage();
        // Outside the box and in its rounded corner: the panel's own colour.
        QCOMPARE(image.pixel(5, 14), QColor(255, 0, 255).rgb());
        QCOMPARE(image.pixel(10, 3), QColor(255, 0, 255).rgb());
        // The text of the chosen entry is drawn inside.
        const QImage inside = image.copy(box->geometry().adjusted(2, 2, -20, -2));
        QSet<QRgb> colours;
        for (int y = 0; y < inside.height(); ++y) {
            for (int x = 0; x < inside.width(); ++x) {
                colours.insert(inside.pixel(x, y));
            }
        }
        QVERIFY(colours.size() > 3);
        QCOMPARE(box->currentText(), QStringLiteral(" 200 %"));
    }

    void dropDownListIgnoresLeftAndRight() {
        TPaintComboBox box;
        box.addItems({"a", "b", "c"});
        box.setCurrentIndex(1);
        box.show();
        QVERIFY(QTest::qWaitForWindowActive(&box));
        QTest::keyClick(&box, Qt::Key_Right);
        QTest::keyClick(&box, Qt::Key_Left);
        QCOMPARE(box.currentIndex(), 1);
        QTest::keyClick(&box, Qt::Key_Down);
        QCOMPARE(box.currentIndex(), 2);
    }

    void enterNextMovesTheFocusOn_data() {
        QTest::addColumn<unsigned>("styles");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("focusAfter");  // "prev", "box" or "next"
        QTest::addColumn<int>("indexAfter");
        const unsigned enter = unsigned(EnterStyle::Enter);
        const unsigned up = unsigned(EnterStyle::Up);
        const unsigned down = unsigned(EnterStyle::Down);
        const unsigned left = unsigned(EnterStyle::Left);
        QTest::newRow("enter") << enter << int(Qt::Key_Return) << "next" << 1;
        QTest::newRow("down") << down << int(Qt::Key_Down) << "next" << 1;
        QTest::newRow("up with only down is eaten") << down << int(Qt::Key_Up) << "box" << 1;
        QTest::newRow("up") << up << int(Qt::Key_Up) << "prev" << 1;
        QTest::newRow("down with only up is eaten") << up << int(Qt::Key_Down) << "box" << 1;
        QTest::newRow("left") << left << int(Qt::Key_Left) << "prev" << 1;
        QTest::newRow("no styles: down selects") << 0u << int(Qt::Key_Down) << "box" << 2;
        QTest::newRow("enter without style is swallowed")
            << down << int(Qt::Key_Return) << "box" << 1;
    }

    void enterNextMovesTheFocusOn() {
        QFETCH(unsigned, styles);
        QFETCH(int, key);
        QFETCH(QString, focusAfter);
        QFETCH(int, indexAfter);
        QWidget form;
        auto* layout = new QVBoxLayout(&form);
        auto* prev = new QLineEdit(&form);
        auto* box = new TComboBoxNext(&form);
        auto* next = new QLineEdit(&form);
        box->addItems({"a", "b", "c"});
        box->setCurrentIndex(1);
        box->SetEnterNext(styles);
        layout->addWidget(prev);
        layout->addWidget(box);
        layout->addWidget(next);
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        box->setFocus();
        QTRY_VERIFY(box->hasFocus());
        QTest::keyClick(box, Qt::Key(key));
        QWidget* expected = focusAfter == "prev"   ? static_cast<QWidget*>(prev)
                            : focusAfter == "next" ? static_cast<QWidget*>(next)
                                                   : static_cast<QWidget*>(box);
        QTRY_COMPARE(QApplication::focusWidget(), expected);
        QCOMPARE(box->currentIndex(), indexAfter);
    }

    void focusColoursFollowTheFocusOnlyWhenSwitchedOn() {
        QWidget form;
        auto* layout = new QVBoxLayout(&form);
        auto* box = new TComboBoxNext(&form);
        auto* other = new QLineEdit(&form);
        layout->addWidget(box);
        layout->addWidget(other);
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        other->setFocus();
        QTRY_VERIFY(other->hasFocus());
        const QColor before = box->CurrentColor();
        box->SetFocusColor(Qt::yellow);
        box->SetNoFocusColor(Qt::cyan);
        QCOMPARE(box->CurrentColor(), before);
        box->SetFocusColorChange(true);
        QCOMPARE(box->CurrentColor(), QColor(Qt::cyan));
        box->setFocus();
        QTRY_COMPARE(box->CurrentColor(), QColor(Qt::yellow));
        other->setFocus();
        QTRY_COMPARE(box->CurrentColor(), QColor(Qt::cyan));
    }

    void statusPanelPaintsBevelsFillAndCaption_data() {
        QTest::addColumn<int>("outer");
        QTest::addColumn<bool>("lightTopLeft");
        QTest::newRow("raised") << int(BevelCut::Raised) << true;
        QTest::newRow("lowered") << int(BevelCut::Lowered) << false;
    }

    void statusPanelPaintsBevelsFillAndCaption() {
        QFETCH(int, outer);
        QFETCH(bool, lightTopLeft);
        TPanelExt panel;
        panel.resize(60, 20);
        panel.SetBevelOuter(BevelCut(outer));
        panel.SetColor(QColor(192, 192, 192));
        const QColor light = panel.palette().color(QPalette::Light);
        const QColor dark = panel.palette().color(QPalette::Dark);
        QImage image = panel.grab().toImage();
        QVERIFY(light.rgb() != dark.rgb());
        QCOMPARE(image.pixel(0, 0), (lightTopLeft ? light : dark).rgb());
        QCOMPARE(image.pixel(59, 19), (lightTopLeft ? dark : light).rgb());
        QCOMPARE(image.pixel(30, 10), QColor(192, 192, 192).rgb());

        panel.SetCaption(QStringLiteral("1/15"));
        image = panel.grab().toImage();
        int ink = 0;
        for (int x = 1; x < 59; ++x) {
            for (int y = 1; y < 19; ++y) {
                ink += image.pixelColor(x, y) != QColor(192, 192, 192) ? 1 : 0;
            }
        }
        QVERIFY(ink > 10);
    }

    void cursorsHaveTheirHotSpotsAndPictures_data() {
        QTest::addColumn<int>("number");
        QTest::addColumn<QPoint>("hotSpot");
        QTest::newRow("open hand") << 1 << QPoint(16, 14);
        QTest::newRow("pointing hand") << 2 << QPoint(12, 1);
        QTest::newRow("grabbing hand") << 3 << QPoint(16, 14);
        QTest::newRow("move arrows") << 4 << QPoint(16, 16);
        QTest::newRow("magnifier") << 5 << QPoint(16, 16);
    }

    void cursorsHaveTheirHotSpotsAndPictures() {
        QFETCH(int, number);
        QFETCH(QPoint, hotSpot);
        const QCursor cursor = ProgramCursor(number);
        QCOMPARE(cursor.shape(), Qt::BitmapCursor);
        QCOMPARE(cursor.hotSpot(), hotSpot);
        const QImage image = cursor.pixmap().toImage();
        QCOMPARE(image.size(), QSize(32, 32));
        // The hot spot lies on (or right beside) the drawing, never in empty space.
        int opaque = 0;
        for (int dx = -1; dx <= 1; ++dx) {
            for (int dy = -1; dy <= 1; ++dy) {
                opaque += image.pixelColor(hotSpot + QPoint(dx, dy)).alpha() > 0 ? 1 : 0;
            }
        }
        QVERIFY(opaque > 0);
        QCOMPARE(ProgramCursor(0).shape(), Qt::ArrowCursor);
    }
};

QTEST_MAIN(ControlsTest)
#include "Controls_test.moc"
