// The flat toolbar buttons: the shared hover watch and the drop-down button's two areas.
#include <QCursor>
#include <QHBoxLayout>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "controls/TAlignSpeedButton_Speed.h"
#include "controls/TDropdownSpeedButton.h"

using namespace tavlex;

namespace {

// Swallows the next leave notice, as when the window system misses the pointer leaving fast;
// the hover watch's own notice comes later and passes.
class LostLeave : public QObject {
  public:
    bool armed = false;
    bool eventFilter(QObject*, QEvent* event) override {
        if (armed && event->type() == QEvent::Leave) {
            armed = false;
            return true;
        }
        return false;
    }
};

QPoint Centre(QWidget* widget) {
    return widget->mapToGlobal(widget->rect().center());
}

}  // namespace

class ToolbarButtonsTest : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        window_ = new QWidget;
        window_->setGeometry(100, 100, 300, 60);
        auto* row = new QHBoxLayout(window_);
        for (auto*& button : buttons_) {
            button = new TAlignSpeedButton_Speed(window_);
            button->setFixedSize(28, 28);
            row->addWidget(button);
        }
        row->addStretch(1);
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_));
        QCursor::setPos(QPoint(5, 5));
    }

    void cleanup() {
        delete window_;
        window_ = nullptr;
    }

    void enteringMakesTheButtonHotAndStartsTheWatch() {
        QCursor::setPos(Centre(buttons_[0]));
        QTRY_VERIFY(buttons_[0]->MouseInControl());
        QCOMPARE(TAlignSpeedButton::HotButton(), buttons_[0]);
        QVERIFY(TAlignSpeedButton::HoverTimer()->isActive());
        QCOMPARE(TAlignSpeedButton::HoverTimer()->interval(), 100);

        QCursor::setPos(Centre(buttons_[1]));
        QTRY_VERIFY(buttons_[1]->MouseInControl());
        QVERIFY(!buttons_[0]->MouseInControl());
        QCOMPARE(TAlignSpeedButton::HotButton(), buttons_[1]);
    }

    void aLostLeaveIsMendedByTheWatch() {
        LostLeave filter;
        buttons_[1]->installEventFilter(&filter);
        QCursor::setPos(Centre(buttons_[1]));
        QTRY_VERIFY(buttons_[1]->MouseInControl());
        filter.armed = true;
        QCursor::setPos(QPoint(2000, 2000));
        QTest::qWait(20);
        QVERIFY2(!filter.armed, "the window system sent no leave");
        QVERIFY(buttons_[1]->MouseInControl());
        QTRY_VERIFY_WITH_TIMEOUT(!buttons_[1]->MouseInControl(), 400);
        QCOMPARE(TAlignSpeedButton::HotButton(), nullptr);
        QVERIFY(!TAlignSpeedButton::HoverTimer()->isActive());
    }

    void aDisabledNeighbourUnderThePointerPutsTheHighlightOut() {
        LostLeave filter;
        buttons_[0]->installEventFilter(&filter);
        buttons_[1]->setEnabled(false);
        QCursor::setPos(Centre(buttons_[0]));
        QTRY_VERIFY(buttons_[0]->MouseInControl());
        filter.armed = true;
        QCursor::setPos(Centre(buttons_[1]));
        QTRY_VERIFY_WITH_TIMEOUT(!buttons_[0]->MouseInControl(), 400);
        QVERIFY(!buttons_[1]->MouseInControl());
    }

    void destroyingTheHotButtonStopsTheWatch() {
        QCursor::setPos(Centre(buttons_[2]));
        QTRY_COMPARE(TAlignSpeedButton::HotButton(), buttons_[2]);
        delete buttons_[2];
        buttons_[2] = nullptr;
        QCOMPARE(TAlignSpeedButton::HotButton(), nullptr);
        QVERIFY(!TAlignSpeedButton::HoverTimer()->isActive());
    }

    void toggleButtonStaysDownUntilClickedAgain() {
        buttons_[0]->SetToggle(true);
        QTest::mouseClick(buttons_[0], Qt::LeftButton);
        QVERIFY(buttons_[0]->isChecked());
        QTest::mouseClick(buttons_[0], Qt::LeftButton);
        QVERIFY(!buttons_[0]->isChecked());
    }

    void dropdownWithClickHandlerOpensOnlyFromTheArrowCorner() {
        TDropdownSpeedButton button(window_);
        button.setGeometry(150, 10, 40, 30);
        button.show();
        QMenu menu;
        menu.addAction(QStringLiteral("item"));
        button.SetDropdownMenu(&menu);
        int clicks = 0;
        connect(&button, &QAbstractButton::clicked, &button, [&] { ++clicks; });
        QVERIFY(button.HasClickHandler());
        QSignalSpy opened(&button, &TDropdownSpeedButton::MenuOpening);
        connect(&button, &TDropdownSpeedButton::MenuOpening, &menu,
                [&] { QTimer::singleShot(0, &menu, &QMenu::close); });

        QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(10, 10));
        QCOMPARE(clicks, 1);
        QCOMPARE(opened.count(), 0);

        QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(35, 25));
        QCOMPARE(opened.count(), 1);
        QCOMPARE(button.MenuPosition(), button.mapToGlobal(QPoint(0, 30)));
        QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(35, 25));
        QCOMPARE(clicks, 1);
        // The press that closes the menu (within 100 ms) does not open it again.
        QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(35, 25));
        QCOMPARE(opened.count(), 1);
    }

    void dropdownWithoutClickHandlerOpensFromAnywhere() {
        TDropdownSpeedButton button(window_);
        button.setGeometry(150, 10, 40, 30);
        button.show();
        QMenu menu;
        button.SetDropdownMenu(&menu);
        QSignalSpy opened(&button, &TDropdownSpeedButton::MenuOpening);
        connect(&button, &TDropdownSpeedButton::MenuOpening, &menu,
                [&] { QTimer::singleShot(0, &menu, &QMenu::close); });
        QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(opened.count(), 1);
        QVERIFY(!button.isDown());
    }

    void dropdownMenuIsForgottenWhenDestroyed() {
        TDropdownSpeedButton button(window_);
        auto* menu = new QMenu;
        button.SetDropdownMenu(menu);
        delete menu;
        QCOMPARE(button.DropdownMenu(), nullptr);
    }

  private:
    QWidget* window_ = nullptr;
    TAlignSpeedButton_Speed* buttons_[3] = {};
};

QTEST_MAIN(ToolbarButtonsTest)
#include "ToolbarButtons_test.moc"
