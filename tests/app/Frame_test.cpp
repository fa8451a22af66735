// The frame window driven offscreen: toolbar, menus and their merge with a document's, opening
// albums (a refused one among them), arrangement, size presets and the wheel.
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include <sys/file.h>

#include "album/UserMessage.h"
#include "app/ApplicationNames.h"
#include "app/ProcessFolders.h"
#include "app/StartFileList.h"
#include "app/TVMainForm.h"
#include "app/ViewerSettingsFile.h"
#include "controls/TAlignSpeedButton_Speed.h"
#include "controls/TBevel.h"
#include "controls/TEnablePanel.h"
#include "controls/TFocusControl.h"
#include "controls/TLabel_Speed.h"
#include "controls/TNoPaintPanel_Speed.h"
#include "controls/TPaintComboBox.h"
#include "support/gui/ShellUtilities.h"
#include "tests/view/ViewFixture.h"

using namespace tavlex;

namespace {

QStringList Captions(const QList<QAction*>& actions) {
    QStringList captions;
    for (QAction* action : actions) {
        captions << (action->isSeparator() ? QStringLiteral("-") : action->text());
    }
    return captions;
}

QStringList MenuBarCaptions(QMenuBar* bar) {
    return Captions(bar->actions());
}

// The filters a file dialog shows in its file type list.
QStringList ShownFilters(QFileDialog* dialog) {
    QStringList shown;
    if (auto* list = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"))) {
        for (int i = 0; i < list->count(); ++i) shown << list->itemText(i);
    }
    return shown;
}

// Counts the resize notices a widget receives.
class ResizeCounter : public QObject {
  public:
    int count = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        count += event->type() == QEvent::Resize ? 1 : 0;
        return false;
    }
};

}  // namespace

class FrameTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        QVERIFY(temp_.isValid());
        SetProcessFolders({temp_.filePath("program"), temp_.filePath("program/VIEWFILE"),
                           temp_.filePath("bodies")});
        QDir().mkpath(temp_.filePath("bodies"));
        test::AlbumRecipe recipe;
        recipe.pages = 3;
        albums_ << test::WriteAlbum(temp_, "first.YRA", recipe);
        albums_ << test::WriteAlbum(temp_, "third.YRB", recipe);
        // An album name whose header the loader refuses.
        QFile refused(temp_.filePath("notes.YRC"));
        QVERIFY(refused.open(QIODevice::WriteOnly));
        refused.write(QByteArray(64, 'x'));
        refused.close();
        refused_ = refused.fileName();
    }

    void init() {
        // Each test starts as a first run: no settings or geometry from the test before.
        QFile::remove(temp_.filePath("bodies/Tavlex.INI"));
        ForgetSettingsState();
        Settings() = ViewerSettings();
        frame_ = new TVMainForm;
        frame_->show();
        QVERIFY(QTest::qWaitForWindowActive(frame_));
    }

    void cleanup() {
        delete frame_;
        frame_ = nullptr;
    }

    void frameStartsWithOnlyOpenEnabled() {
        QCOMPARE(frame_->windowTitle(), QStringLiteral("Pelmarkブラウザ"));
        QCOMPARE(MainForm(), frame_);
        QCOMPARE(frame_->PL_Top()->height(), 32);
        QCOMPARE(frame_->PL_Ritu()->width(), 179);
        QCOMPARE(frame_->PL_Ritu()->toolTip(), QStringLiteral("表示率"));
        QCOMPARE(frame_->Label1()->text(), QStringLiteral("  表示率(&R): "));
        QCOMPARE(frame_->Label1()->buddy(), frame_->CB_Ritu());
        QVERIFY(!frame_->PL_Ritu()->isEnabled());
        QVERIFY(!frame_->CB_Ritu()->isEnabled());
        QCOMPARE(frame_->CB_Ritu()->count(), 11);
        QCOMPARE(frame_->CB_Ritu()->itemText(0), QStringLiteral(" 幅に合わせる"));
        QCOMPARE(frame_->CB_Ritu()->itemText(7), QStringLiteral(" 100 % (実寸)"));
        QCOMPARE(frame_->CB_Ritu()->itemText(10), QStringLiteral(" 200 %"));

        // Left to right, with the separators between the groups.
        const QStringList expected = {"SB_Open|開く|1|0",
                                      "MarjinBtn|マージン調整|0|0",
                                      "PrnBtn|印刷|1|0",
                                      "Bevel2",
                                      "PageScrollBtn|ページを越えてスクロール|0|1",
                                      "Bevel3",
                                      "SB_JumpTree|目次|0|1",
                                      "JumpBtn|頁指定|0|0",
                                      "StartBtn|最初の頁|-1|0",
                                      "BackBtn|前の頁|-1|0",
                                      "NextBtn|次の頁|1|0",
                                      "EndBtn|最後の頁|1|0",
                                      "Bevel1",
                                      "SmallBtn|縮小|0|0",
                                      "BigBtn|拡大|0|0",
                                      "PL_Ritu"};
        QList<QWidget*> row;
        for (QObject* child : frame_->PL_Top()->children()) {
            if (auto* widget = qobject_cast<QWidget*>(child)) {
                row << widget;
            }
        }
        std::sort(row.begin(), row.end(), [](QWidget* a, QWidget* b) { return a->x() < b->x(); });
        QStringList actual;
        for (QWidget* widget : row) {
            if (auto* button = qobject_cast<TAlignSpeedButton_Speed*>(widget)) {
                actual << QStringLiteral("%1|%2|%3|%4")
                              .arg(button->objectName(), button->toolTip())
                              .arg(button->Tag())
                              .arg(button->isCheckable() ? 1 : 0);
                QCOMPARE(button->size(), QSize(28, 28));
                QCOMPARE(button->isEnabled(), button == frame_->SB_Open());
            } else {
                actual << widget->objectName();
            }
        }
        QCOMPARE(actual, expected);
    }

    void frameMenusWithoutADocument() {
        QCOMPARE(MenuBarCaptions(frame_->menuBar()),
                 (QStringList{"ファイル(&F)", "表示(&V)", "ウィンドウ(&W)", "ヘルプ(&H)"}));
        QCOMPARE(Captions(frame_->File1()->actions()),
                 (QStringList{"開く(&O)...", "最近使ったファイル(&R)", "-", "終了(&X)"}));
        QCOMPARE(frame_->File1()->actions()[0]->shortcut(), QKeySequence(QKeySequence::Open));
        QCOMPARE(Captions(frame_->Show1()->actions()),
                 (QStringList{"ツールバー(&T)", "ステータスバー(&S)"}));
        QCOMPARE(Captions(frame_->Mn_Window()->actions()),
                 (QStringList{"横に並べて表示(&V)", "縦に並べて表示(&T)", "重ねて表示(&C)",
                              "アイコンの整列(&A)"}));
        const QStringList help = Captions(frame_->Help1()->actions());
        QCOMPARE(help.size(), 6);
        QCOMPARE(help[0], QStringLiteral("トピックの検索(&K)"));
        QCOMPARE(help[2], QStringLiteral("ホームページ(&H)"));
        QCOMPARE(help[3], QStringLiteral("最新のブラウザの入手(&B)"));
        QCOMPARE(help[5], QStringLiteral("バージョン情報(&A)..."));
        const QStringList home = Captions(frame_->Help1()->actions()[2]->menu()->actions());
        QVERIFY(home[0].startsWith(QStringLiteral("Ranut ホームページ  ")));
        QVERIFY(home[0].endsWith(QStringLiteral("(&K)")));
        QVERIFY(home[2].endsWith(QStringLiteral("(&M)")));
        QCOMPARE(home[3], QStringLiteral("Pelmarkシリーズの紹介(&C)..."));
        QCOMPARE(Captions(frame_->PopupMenu()->actions()),
                 (QStringList{"ツールバー(&T)", "ステータスバー(&S)", "-", "&1 640*480",
                              "&2 800*600", "&3 1024*768", "&4 1152*870", "&5 1280*1024"}));

        // No document: the status bar item is hidden, the toolbar item ticked.
        frame_->Show1Click();
        QVERIFY(frame_->Mn_ToolBar()->isChecked());
        QVERIFY(!frame_->Mn_StatusBar()->isVisible());
        QVERIFY(!frame_->Mn_StatusBar2()->isVisible());
    }

    void toolbarToggleTakesTheLineAlong() {
        frame_->Mn_ToolBarClick();
        QVERIFY(frame_->PL_Top()->isHidden());
        QVERIFY(frame_->Bevel()->isHidden());
        frame_->Mn_ToolBarClick();
        QVERIFY(frame_->PL_Top()->isVisible());
        QVERIFY(frame_->Bevel()->isVisible());
        QTRY_VERIFY(frame_->Bevel()->y() < frame_->PL_Top()->y());
        QCOMPARE(frame_->Bevel()->height(), 2);
    }

    void openDialogIsSetUpForAlbums() {
        TOpenDialogEx* dialog = frame_->OpenDialog();
        QCOMPARE(dialog->windowTitle(), QStringLiteral("ブラウザファイルの読み込み"));
        QCOMPARE(dialog->OkCaption(), QStringLiteral("開く(&O)"));
        QCOMPARE(dialog->CancelCaption(), QStringLiteral("中止(&C)"));
        QCOMPARE(dialog->nameFilters(),
                 QStringList{QStringLiteral("ブラウザファイル (*.YRA *.YRB *.YRC *.YRD)")});
        QCOMPARE(ShownFilters(dialog), QStringList{QStringLiteral("ブラウザファイル")});
        QCOMPARE(dialog->fileMode(), QFileDialog::ExistingFiles);
        QVERIFY(!(dialog->filter() & QDir::CaseSensitive));
        QCOMPARE(dialog->defaultSuffix(), QStringLiteral("YRA"));
    }

    void saveDialogOffersThePageOutputKinds() {
        QFileDialog* dialog = frame_->SaveDialog();
        QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptSave);
        QCOMPARE(dialog->defaultSuffix(), QStringLiteral("EMF"));
        QCOMPARE(dialog->nameFilters().size(), 3);
        QVERIFY(
            dialog->nameFilters()[0].startsWith(QStringLiteral("エンハンスメタファイル(*.emf)")));
        QVERIFY(dialog->nameFilters()[1].startsWith(QStringLiteral("Windowsメタファイル(*.wmf)")));
        QVERIFY(dialog->nameFilters()[2].startsWith(QStringLiteral("ビットマップ(*.bmp)")));
        // Each caption names its pattern once.
        QCOMPARE(ShownFilters(dialog), (QStringList{QStringLiteral("エンハンスメタファイル(*.emf)"),
                                                    QStringLiteral("Windowsメタファイル(*.wmf)"),
                                                    QStringLiteral("ビットマップ(*.bmp)")}));
        QVERIFY(!dialog->testOption(QFileDialog::DontConfirmOverwrite));
    }

    void openingThreeWithOneRefusedLeavesTwoWindowsInOrder() {
        test::MessageRecorder messages;
        QFileDialog* dialog = frame_->OpenDialog();
        bool confirmed = false;
        QTimer::singleShot(0, dialog, [&] {
            dialog->setDirectory(temp_.path());
            dialog->selectFile(QStringLiteral("\"first.YRA\" \"notes.YRC\" \"third.YRB\""));
            QMetaObject::invokeMethod(dialog, "accept");
        });
        confirmed = frame_->SB_OpenClick();
        QVERIFY(confirmed);
        const QList<TViewForm*> windows = frame_->DocumentWindows();
        QCOMPARE(windows.size(), 2);
        QCOMPARE(windows[0]->windowTitle(), QStringLiteral("first"));
        QCOMPARE(windows[1]->windowTitle(), QStringLiteral("third"));
        QCOMPARE(messages.messages.size(), 1);
    }

    void droppingAFolderWithTwoFilesOpensTheFiles() {
        test::MessageRecorder messages;
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(albums_[1]), QUrl::fromLocalFile(temp_.path()),
                      QUrl::fromLocalFile(albums_[0])});
        const QPoint at(400, 300);
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(frame_, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(frame_, &drop);
        QTRY_COMPARE(frame_->DocumentWindows().size(), 2);
        QCOMPARE(frame_->DocumentWindows()[0]->windowTitle(), QStringLiteral("third"));
        QCOMPARE(frame_->DocumentWindows()[1]->windowTitle(), QStringLiteral("first"));
        QVERIFY(messages.messages.isEmpty());
    }

    void titleNamesTheProgramOnce() {
        NameApplication();
        // Qt appends an application display name to every window title: there is none.
        QCOMPARE(QGuiApplication::applicationDisplayName(), QGuiApplication::applicationName());
        TViewForm* form = frame_->OpenAlbum(albums_[0]);
        QVERIFY(form != nullptr);
        QVERIFY(form->isMaximized());
        QTRY_COMPARE(frame_->windowTitle(), QStringLiteral("Pelmarkブラウザ - [first]"));
        form->showNormal();
        QTRY_COMPARE(frame_->windowTitle(), QStringLiteral("Pelmarkブラウザ"));
    }

    void aRefusedFileLeavesNothingEnabled() {
        test::MessageRecorder messages;
        QCOMPARE(frame_->OpenAlbum(refused_), nullptr);
        QCoreApplication::processEvents();
        QVERIFY(!frame_->SB_JumpTree()->isEnabled());
        QVERIFY(!frame_->PageScrollBtn()->isEnabled());
        QVERIFY(!frame_->PL_Ritu()->isEnabled());
        QVERIFY(frame_->SB_Open()->isEnabled());
        // With an album open, a refused one leaves that album's toolbar working.
        TViewForm* form = frame_->OpenAlbum(albums_[0]);
        QVERIFY(form != nullptr);
        QCOMPARE(frame_->OpenAlbum(refused_), nullptr);
        QCoreApplication::processEvents();
        QTRY_VERIFY(frame_->NextBtn()->isEnabled());
        frame_->NextBtn()->click();
        QCOMPARE(form->Doc().CurrentPage, 2);
        QCOMPARE(messages.messages.size(), 2);
    }

    // The pages before the damage stay readable; the damage is said once, when it is found.
    void aDamagedAlbumKeepsItsWindowAndSaysSoOnce() {
        QFile source(albums_[0]);
        QVERIFY(source.open(QIODevice::ReadOnly));
        QByteArray bytes = source.readAll();
        bytes.truncate(bytes.size() / 2);
        const QString damaged = temp_.filePath("damaged.YRA");
        QFile target(damaged);
        QVERIFY(target.open(QIODevice::WriteOnly));
        target.write(bytes);
        target.close();
        test::MessageRecorder messages;
        TViewForm* form = frame_->OpenAlbum(damaged);
        QVERIFY(form != nullptr);
        QCOMPARE(frame_->DocumentWindows(), QList<TViewForm*>{form});
        QTRY_VERIFY(!form->BodyArriving());
        QTRY_COMPARE(messages.messages.size(), 1);
        QVERIFY(messages.messages[0].startsWith(QStringLiteral("ブラウザファイルが途中で壊れて")));
        QVERIFY(messages.messages[0].endsWith(QStringLiteral(" > damaged.YRA")));
        QTest::qWait(50);
        QCOMPARE(messages.messages.size(), 1);
    }

    void ctrlOOpensTheDialogWithAndWithoutADocument() {
        int shown = 0;
        QFileDialog* dialog = frame_->OpenDialog();
        // Answers the dialog whenever it is up.
        QTimer answer;
        answer.setInterval(20);
        connect(&answer, &QTimer::timeout, dialog, [&] {
            if (dialog->isVisible()) {
                ++shown;
                dialog->reject();
            }
        });
        answer.start();
        QTest::keyClick(frame_, Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(shown, 1);
        TViewForm* form = frame_->OpenAlbum(albums_[0]);
        QVERIFY(form != nullptr);
        QTRY_COMPARE(frame_->MdiArea()->activeSubWindow(), form);
        frame_->activateWindow();  // nobody gives the activation back offscreen
        QTRY_COMPARE(QApplication::activeWindow(), frame_);
        QTest::keyClick(form->FocusControl(), Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(shown, 2);
    }

    void cancellingTheDialogOpensNothing() {
        QFileDialog* dialog = frame_->OpenDialog();
        QTimer::singleShot(0, dialog, &QDialog::reject);
        QVERIFY(!frame_->SB_OpenClick());
        QVERIFY(frame_->DocumentWindows().isEmpty());
    }

    void documentMenusTakeThePlaceOfFileAndView() {
        TViewForm* form = frame_->OpenAlbum(albums_[0]);
        QVERIFY(form != nullptr);
        QTRY_COMPARE(frame_->ActiveDocumentWindow(), form);
        QStringList expected;
        for (QMenu* menu : form->DocumentMenus()) {
            expected << menu->title();
        }
        QCOMPARE(expected.size(), 3);
        expected << "ウィンドウ(&W)"
                 << "ヘルプ(&H)";
        QCOMPARE(MenuBarCaptions(frame_->menuBar()), expected);
        QCOMPARE(expected[0], QStringLiteral("ファイル(&F)"));
        QVERIFY(frame_->menuBar()->actions()[0] != frame_->File1()->menuAction());

        // The window list shows the open document, ticked.
        emit frame_->Mn_Window()->aboutToShow();
        const QList<QAction*> items = frame_->Mn_Window()->actions();
        QCOMPARE(items.last()->text(), QStringLiteral("&1 first"));
        QVERIFY(items.last()->isChecked());

        // With a document the status bar item shows and follows its status bar.
        frame_->PopupMenuPopup();
        QVERIFY(frame_->Mn_StatusBar2()->isVisible());
        const bool statusShown = !form->PL_Bottom()->isHidden();
        QCOMPARE(frame_->Mn_StatusBar2()->isChecked(), statusShown);
        frame_->Mn_StatusBarClick();
        QCOMPARE(form->PL_Bottom()->isHidden(), statusShown);

        form->close();
        QTRY_VERIFY(frame_->DocumentWindows().isEmpty());
        QTRY_COMPARE(MenuBarCaptions(frame_->menuBar()),
                     (QStringList{"ファイル(&F)", "表示(&V)", "ウィンドウ(&W)", "ヘルプ(&H)"}));
        // The last window gone: every relayed control is off, opening still possible.
        for (QWidget* control :
             {static_cast<QWidget*>(frame_->NextBtn()), static_cast<QWidget*>(frame_->BigBtn()),
              static_cast<QWidget*>(frame_->PageScrollBtn()),
              static_cast<QWidget*>(frame_->SB_JumpTree()),
              static_cast<QWidget*>(frame_->PL_Ritu())}) {
            QVERIFY2(!control->isEnabled(), qPrintable(control->objectName()));
        }
        QVERIFY(frame_->SB_Open()->isEnabled());
    }

    void toolbarDrivesTheActiveDocument_data() {
        QTest::addColumn<bool>("maximised");
        QTest::newRow("maximised") << true;
        QTest::newRow("normal") << false;
    }

    void toolbarDrivesTheActiveDocument() {
        QFETCH(bool, maximised);
        Settings().FormMaximized = maximised;
        TViewForm* form = frame_->OpenAlbum(albums_[0]);
        QVERIFY(form != nullptr);
        QTRY_COMPARE(frame_->MdiArea()->activeSubWindow(), form);
        QCOMPARE(form->Doc().CurrentPage, 1);
        QVERIFY(frame_->NextBtn()->isEnabled());
        frame_->NextBtn()->click();
        QCOMPARE(form->Doc().CurrentPage, 2);
        frame_->CB_Ritu()->setCurrentIndex(10);
        emit frame_->CB_Ritu()->activated(10);
        QCOMPARE(form->ZoomIndex(), 10);
        QCOMPARE(form->ZoomPercent(), 200);
        QVERIFY(!frame_->BigBtn()->isEnabled());
    }

    void cascadeFollowsTheFramesOwnRule() {
        Settings().FormMaximized = false;
        QList<TViewForm*> forms;
        for (int i = 0; i < 4; ++i) {
            forms << frame_->OpenAlbum(albums_[i % 2]);
            QVERIFY(forms.last() != nullptr);
        }
        forms[2]->showMaximized();
        QVERIFY(forms[2]->isMaximized());
        frame_->Cascade1Click();
        const int step = frame_->CascadeStep();
        QVERIFY(step > 0);
        const QList<QMdiSubWindow*> order =
            frame_->MdiArea()->subWindowList(QMdiArea::StackingOrder);
        const QSize client = frame_->centralWidget()->size();
        const QSize expected(client.width() - 4 * step,
                             client.height() - frame_->PL_Top()->height() - 4 * step);
        for (int i = 0; i < 4; ++i) {
            QVERIFY(!order[i]->isMaximized());
            QCOMPARE(order[i]->geometry(), QRect(QPoint(i * step, i * step), expected));
        }
        // The active window ends in front, at the last offset.
        QCOMPARE(order.last(), frame_->MdiArea()->activeSubWindow());
    }

    void tilingFillsTheArea() {
        Settings().FormMaximized = false;
        frame_->OpenAlbum(albums_[0]);
        frame_->OpenAlbum(albums_[1]);
        const QRect area = frame_->MdiArea()->viewport()->rect();
        frame_->V1Click();
        QList<QMdiSubWindow*> windows = frame_->MdiArea()->subWindowList(QMdiArea::CreationOrder);
        QCOMPARE(windows[0]->geometry(), QRect(0, 0, area.width() / 2, area.height()));
        QCOMPARE(windows[1]->geometry().right(), area.right());
        frame_->T1Click();
        QCOMPARE(windows[0]->geometry(), QRect(0, 0, area.width(), area.height() / 2));
        QCOMPARE(windows[1]->geometry().bottom(), area.bottom());
    }

    void sizePresetsMakeANormalWindowOfThatSize_data() {
        QTest::addColumn<int>("preset");
        QTest::addColumn<QSize>("size");
        QTest::newRow("640*480") << 0 << QSize(640, 480);
        QTest::newRow("800*600") << 1 << QSize(800, 600);
        QTest::newRow("1024*768") << 2 << QSize(1024, 768);
        QTest::newRow("1152*870") << 3 << QSize(1152, 870);
        QTest::newRow("1280*1024") << 4 << QSize(1280, 1024);
    }

    void sizePresetsMakeANormalWindowOfThatSize() {
        QFETCH(int, preset);
        QFETCH(QSize, size);
        frame_->showMaximized();
        QTRY_VERIFY(frame_->isMaximized());
        frame_->PresetAction(preset)->trigger();
        QTRY_VERIFY(!frame_->isMaximized());
        QTRY_COMPARE(frame_->frameGeometry().size(), size);
    }

    void wheelNeverScrollsTheFrame() {
        Settings().FormMaximized = false;
        TViewForm* form = frame_->OpenAlbum(albums_[0]);
        QVERIFY(form != nullptr);
        form->setGeometry(0, 3000, 300, 200);  // the area can now scroll down to it
        QScrollBar* bar = frame_->MdiArea()->verticalScrollBar();
        QTRY_VERIFY(bar->maximum() > 0);
        const int before = bar->value();
        QWidget* viewport = frame_->MdiArea()->viewport();
        const QPoint at(5, 5);
        QWheelEvent wheel(at, viewport->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(viewport, &wheel);
        QCOMPARE(bar->value(), before);
        QVERIFY(wheel.isAccepted());
    }

    void fixMaximizedChildResizesOnlyAMaximisedWindow() {
        Settings().FormMaximized = false;
        TViewForm* form = frame_->OpenAlbum(albums_[0]);
        QVERIFY(form != nullptr);
        ResizeCounter counter;
        form->installEventFilter(&counter);
        frame_->FixMaximizedChild(form);
        QCOMPARE(counter.count, 0);
        form->showMaximized();
        QTRY_VERIFY(form->isMaximized());
        counter.count = 0;
        frame_->FixMaximizedChild(form);
        QCOMPARE(counter.count, 2);
    }

    void commandLineAlbumsOpenAfterTheFirstShow() {
        TVMainForm frame;
        frame.SetStartFiles({albums_[1], refused_, albums_[0]});
        test::MessageRecorder messages;
        frame.show();
        QVERIFY(frame.DocumentWindows().isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(frame.DocumentWindows().size(), 2, 2000);
        QCOMPARE(frame.DocumentWindows()[0]->windowTitle(), QStringLiteral("third"));
        QCOMPARE(messages.messages.size(), 1);
    }

    void opensThatFindNoTemporaryNameAreSaidOnceInJapanese() {
        // Every temporary name is a hard link to another file: none may be taken.
        const QString bodies = TempFolder();
        QFile other(bodies + "other");
        QVERIFY(other.open(QIODevice::WriteOnly));
        other.close();
        for (int n = 0; n <= 30; ++n) {
            const QByteArray name =
                QFile::encodeName(bodies + QStringLiteral("Tavlex_%1.TMP").arg(n));
            QCOMPARE(::link(QFile::encodeName(other.fileName()).constData(), name.constData()), 0);
        }
        test::MessageRecorder messages;
        frame_->OpenAlbums({albums_[0], albums_[1]});
        QCOMPARE(messages.messages.size(), 1);
        const QString expected = UserMessage(AlbumErrorKind::NoTemporaryName, "first.YRA");
        QVERIFY2(messages.messages[0].contains(expected), qPrintable(messages.messages[0]));
        QVERIFY(!messages.messages[0].contains("Tavlex_"));
        for (int n = 0; n <= 30; ++n) {
            QFile::remove(bodies + QStringLiteral("Tavlex_%1.TMP").arg(n));
        }
        QFile::remove(other.fileName());
    }

    void destroyingTheFrameDeletesTheBodiesNoLongerInUse() {
        QVERIFY(frame_->OpenAlbum(albums_[0]) != nullptr);
        QVERIFY(frame_->OpenAlbum(albums_[1]) != nullptr);
        const QString bodies = TempFolder();
        QVERIFY(QFile::exists(bodies + "Tavlex_0.TMP"));
        QVERIFY(QFile::exists(bodies + "Tavlex_1.TMP"));
        QFile beyond(bodies + "Tavlex_31.TMP");
        QVERIFY(beyond.open(QIODevice::WriteOnly));
        beyond.close();
        // Held by another viewer: its lock is taken.
        QFile held(bodies + "Tavlex_5.TMP");
        QVERIFY(held.open(QIODevice::WriteOnly));
        QCOMPARE(::flock(held.handle(), LOCK_EX | LOCK_NB), 0);

        delete frame_;
        frame_ = nullptr;
        QVERIFY(!QFile::exists(bodies + "Tavlex_0.TMP"));
        QVERIFY(!QFile::exists(bodies + "Tavlex_1.TMP"));
        QVERIFY(QFile::exists(bodies + "Tavlex_31.TMP"));
        QVERIFY(QFile::exists(bodies + "Tavlex_5.TMP"));
        held.close();
        QFile::remove(bodies + "Tavlex_5.TMP");
        QFile::remove(bodies + "Tavlex_31.TMP");
    }

    void startFileListGathersAtMostFifty() {
        QTemporaryDir dir;
        QStringList arguments;
        for (int i = 0; i < 60; ++i) {
            const QString path = dir.filePath(QStringLiteral("a%1.YRA").arg(i));
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            arguments << path;
        }
        arguments.insert(1, dir.filePath("missing.YRA"));
        arguments.insert(2, QString());
        const QStringList files =
            StartFileList(arguments, dir.filePath("tavlex"), dir.path() + "/");
        QCOMPARE(files.size(), 50);
        QCOMPARE(files.first(), arguments.first());
        QCOMPARE(files.last(), dir.filePath("a49.YRA"));

        // A bare name is looked for beside the program.
        QCOMPARE(StartFileList({"a7.YRA"}, dir.filePath("tavlex"), dir.path() + "/"),
                 QStringList{dir.path() + "/a7.YRA"});
        // No arguments: an album named like the program.
        QFile own(dir.filePath("tavlex.YRB"));
        QVERIFY(own.open(QIODevice::WriteOnly));
        QCOMPARE(StartFileList({}, dir.filePath("tavlex"), dir.path() + "/"),
                 QStringList{dir.filePath("tavlex.YRB")});
    }

  private:
    QTemporaryDir temp_;
    QStringList albums_;
    QString refused_;
    TVMainForm* frame_ = nullptr;
};

QTEST_MAIN(FrameTest)
#include "Frame_test.moc"
