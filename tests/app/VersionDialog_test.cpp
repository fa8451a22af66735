// The version dialog: its layout, texts and colours, the keys that always reach its focus
// holder, the open button, the version text, and web pages that cannot be opened.
#include <QDesktopServices>
#include <QMainWindow>
#include <QMenu>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QTimer>

#include "app/TVerForm.h"
#include "controls/TAlignSpeedButton_Speed.h"
#include "controls/TDropdownSpeedButton.h"
#include "controls/TFocusControl.h"
#include "controls/TLabel_Speed.h"
#include "support/gui/ShellUtilities.h"
#include "tests/view/ViewFixture.h"

using namespace tavlex;

// Stands in for the desktop's web browser.
class UrlCatcher : public QObject {
    Q_OBJECT
  public:
    QList<QUrl> urls;
  public slots:
    void open(const QUrl& url) { urls << url; }
};

class VersionDialogTest : public QObject {
    Q_OBJECT

  private slots:
    void layoutTextsAndColours() {
        TVerForm form([] { return false; });
        QCOMPARE(form.windowTitle(), QStringLiteral("バージョン情報"));
        QCOMPARE(form.size(), QSize(444, 239));
        QCOMPARE(form.palette().color(QPalette::Window), QColor(Qt::yellow));
        QCOMPARE(form.Version()->geometry(), QRect(0, 0, 444, 33));
        QVERIFY(form.Version()->font().bold());
        QCOMPARE(form.Version()->font().pixelSize(), 19);
        QCOMPARE(form.Memo()->geometry(), QRect(20, 56, 405, 129));
        QVERIFY(form.Memo()->isReadOnly());
        QCOMPARE(form.SpeedButton2()->text(), QStringLiteral("開く(&O)"));
        QCOMPARE(form.SpeedButton2()->geometry(), QRect(20, 196, 69, 25));
        QCOMPARE(form.Button1()->text(), QStringLiteral("ホームページ"));
        QCOMPARE(form.Button1()->geometry(), QRect(104, 196, 93, 25));
        QCOMPARE(form.Button_NewPrg()->text(), QStringLiteral("最新のブラウザの入手(&B)"));
        QCOMPARE(form.Button_NewPrg()->geometry(), QRect(200, 196, 149, 25));
        QCOMPARE(form.SpeedButton1()->text(), QStringLiteral("閉じる(&C)"));
        QCOMPARE(form.SpeedButton1()->geometry(), QRect(352, 196, 73, 25));
        QCOMPARE(TVerForm::NoticeLines().size(), 23);
        QCOMPARE(form.Memo()->toPlainText().split('\n').size(), 23);
        QCOMPARE(form.Memo()->document()->begin().next().blockFormat().alignment() &
                     Qt::AlignHorizontal_Mask,
                 Qt::AlignHCenter);
        QStringList items;
        for (QAction* action : form.PopupMenu()->actions()) {
            items << (action->isSeparator() ? QStringLiteral("-") : action->text());
        }
        QCOMPARE(items, (QStringList{"Ranut ホームページ www.ranut.example(&K)...", "-",
                                     "Pelmarkシリーズ www.pelmark.example(&M)",
                                     "Pelmarkシリーズの紹介(&C)..."}));
        QCOMPARE(form.Button1()->DropdownMenu(), form.PopupMenu());
    }

    void theVersionComesFromTheBuild() {
        const QString saved = QCoreApplication::applicationVersion();
        QCoreApplication::setApplicationVersion(QString());
        QCOMPARE(TVerForm::VersionText(), QStringLiteral("Pelmarkブラウザ ver.9"));
        QCoreApplication::setApplicationVersion("1.2.3");
        QCOMPARE(TVerForm::VersionText(), QStringLiteral("Pelmarkブラウザ ver.1.2.3"));
        QCoreApplication::setApplicationVersion(saved);
    }

    void enterAndEscapeCloseWhateverHasTheFocus_data() {
        QTest::addColumn<int>("key");
        QTest::newRow("Enter") << int(Qt::Key_Return);
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter);
        QTest::newRow("Escape") << int(Qt::Key_Escape);
    }
    void enterAndEscapeCloseWhateverHasTheFocus() {
        QFETCH(int, key);
        TVerForm form([] { return false; });
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QCOMPARE(QApplication::focusWidget(), form.FocusControl());
        // A click into the notice does not leave the focus there.
        QTest::mouseClick(form.Memo()->viewport(), Qt::LeftButton);
        QTRY_COMPARE(QApplication::focusWidget(), form.FocusControl());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
        QVERIFY(!form.isVisible());
    }

    void pageKeysScrollTheNoticeOneLine() {
        TVerForm form([] { return false; });
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QScrollBar* bar = form.Memo()->verticalScrollBar();
        QVERIFY(bar->maximum() > 0);
        const int step = bar->singleStep();
        QTest::keyClick(form.FocusControl(), Qt::Key_PageDown);
        QCOMPARE(bar->value(), step);
        QTest::keyClick(form.FocusControl(), Qt::Key_Down);
        QCOMPARE(bar->value(), 2 * step);
        QTest::keyClick(form.FocusControl(), Qt::Key_PageUp);
        QTest::keyClick(form.FocusControl(), Qt::Key_Up);
        QCOMPARE(bar->value(), 0);
        QVERIFY(form.isVisible());
    }

    void theOpenButtonClosesOnlyWhenTheUserChose() {
        bool chose = false;
        int asked = 0;
        TVerForm form([&] {
            ++asked;
            return chose;
        });
        form.show();
        form.SpeedButton2()->click();
        QCOMPARE(asked, 1);
        QVERIFY(form.isVisible());  // cancelled: the dialog stays
        chose = true;
        form.SpeedButton2()->click();
        QVERIFY(!form.isVisible());
    }

    void webPagesOpenThroughTheDesktop() {
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler("https", &catcher, "open");
        test::MessageRecorder messages;
        TVerForm form([] { return false; });
        form.Button_NewPrg()->click();
        for (QAction* action : form.PopupMenu()->actions()) action->trigger();
        QDesktopServices::unsetUrlHandler("https");
        QCOMPARE(catcher.urls, (QList<QUrl>{PartnerDownloadPage(), PartnerHomePage(), SeriesSite(),
                                            SeriesCataloguePage()}));
        for (const QUrl& url : catcher.urls) QVERIFY(url.host().endsWith(".example"));
        QVERIFY(messages.messages.isEmpty());
    }

    void aPageThatCannotBeOpenedIsSaidSo() {
        // No browser at all here (offscreen, no handler).
        test::MessageRecorder messages;
        OpenSeriesSite();
        QCOMPARE(messages.messages,
                 QStringList{"インターネットを使用できる環境ではないようです。"});
    }

    void centredOverTheFrame() {
        QMainWindow frame;
        frame.setGeometry(100, 100, 870, 640);
        frame.show();
        SetApplicationMainWindow(&frame);
        TVerForm form([] { return false; });
        form.show();
        const QRect outer = frame.frameGeometry();
        const QSize size = form.frameGeometry().size();
        QCOMPARE(form.frameGeometry().topLeft(),
                 QPoint(outer.left() + (outer.width() - size.width()) / 2,
                        outer.top() + (outer.height() - size.height()) / 2));
        SetApplicationMainWindow(nullptr);
    }
};

QTEST_MAIN(VersionDialogTest)
#include "VersionDialog_test.moc"
