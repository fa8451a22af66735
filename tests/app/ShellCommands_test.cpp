// The frame's shell commands: the drop target as a piece of its own, the help (its anchors, F1,
// the topic finder and when it is offered), the version dialog of a start without albums, and
// the recent albums.
#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMenu>
#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QUrl>

#include "app/HelpWindow.h"
#include "app/ProcessFolders.h"
#include "app/RecentFiles.h"
#include "app/TVMainForm.h"
#include "app/TVerForm.h"
#include "app/ViewerSettingsFile.h"
#include "support/gui/TDropDst.h"
#include "tests/view/ViewFixture.h"

using namespace tavlex;

namespace {

// A drop as a file manager makes it: a copy or a move offered, the move proposed. Returns whether
// it was accepted; `performed` is the action the source is told was done.
bool Drop(QWidget* target, const QList<QUrl>& urls, Qt::DropAction* performed = nullptr,
          Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction) {
    QMimeData data;
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(5, 5), offered, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent drop(QPointF(7, 9), offered, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    if (performed != nullptr) *performed = drop.dropAction();
    return drop.isAccepted();
}

// Every help context the menus name.
QSet<int> Contexts(const QList<QMenu*>& menus) {
    QSet<int> contexts;
    for (QMenu* menu : menus) {
        for (QAction* action : menu->actions()) {
            if (HelpContextOf(action) != 0) contexts << HelpContextOf(action);
            if (action->menu() != nullptr) contexts += Contexts({action->menu()});
        }
    }
    return contexts;
}

}  // namespace

class ShellCommandsTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        QVERIFY(temp_.isValid());
        // The program's folder with the help beside it, as in the build tree.
        QDir().mkpath(temp_.filePath("program/help"));
        QVERIFY(QFile::copy(TAVLEX_SOURCE_DIR "/help/Tavlex.html",
                            temp_.filePath("program/help/Tavlex.html")));
        QDir().mkpath(temp_.filePath("data"));
        SetProcessFolders({temp_.filePath("program"), temp_.filePath("program/VIEWFILE"),
                           temp_.filePath("data")});
        album_ = test::WriteAlbum(temp_, "a.YRA", test::AlbumRecipe{});
        second_ = test::WriteAlbum(temp_, "b.YRB", test::AlbumRecipe{});
    }

    void init() {
        QFile::remove(temp_.filePath("data/Tavlex.INI"));
        ForgetSettingsState();
        Settings() = ViewerSettings();
    }

    void theDropTargetDeliversLocalFilesOnly() {
        QWidget window;
        auto* inner = new QWidget(&window);
        TDropDst drop(&window);
        drop.SetControl(inner);
        drop.SetTarget(THookTarget::htForm);
        QCOMPARE(drop.Hooked(), &window);  // the form, not the control
        QSignalSpy spy(&drop, &TDropDst::OnFileDrop);
        QVERIFY(Drop(&window, {QUrl::fromLocalFile("/a/one.YRA"), QUrl("https://x.example/"),
                               QUrl::fromLocalFile("/b/two.YRB")}));
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy[0][1].toStringList(), (QStringList{"/a/one.YRA", "/b/two.YRB"}));
        QCOMPARE(spy[0][2].toInt(), 7);
        QCOMPARE(spy[0][3].toInt(), 9);
        // Mended: an accepted move makes a file manager delete the original, so a drop is a copy,
        // or a link where no copy is offered, and never a move alone.
        Qt::DropAction performed = Qt::IgnoreAction;
        QVERIFY(Drop(&window, {QUrl::fromLocalFile("/a/one.YRA")}, &performed));
        QCOMPARE(performed, Qt::CopyAction);
        QVERIFY(Drop(&window, {QUrl::fromLocalFile("/a/one.YRA")}, &performed,
                     Qt::MoveAction | Qt::LinkAction));
        QCOMPARE(performed, Qt::LinkAction);
        QVERIFY(!Drop(&window, {QUrl::fromLocalFile("/a/one.YRA")}, &performed, Qt::MoveAction));
        QCOMPARE(spy.size(), 3);
        // Nothing that is a local file: not even accepted.
        QVERIFY(!Drop(&window, {QUrl("https://x.example/a.YRA")}));
        drop.SetAcceptDrop(false);
        QVERIFY(!window.acceptDrops());
        QVERIFY(!Drop(&window, {QUrl::fromLocalFile("/a/one.YRA")}));
        drop.SetAcceptDrop(true);
        QVERIFY(Drop(&window, {QUrl::fromLocalFile("/a/one.YRA")}));
        QCOMPARE(spy.size(), 4);
        // Back on the control: the form no longer hears drops.
        drop.SetTarget(THookTarget::htControl);
        QCOMPARE(drop.Hooked(), inner);
        QVERIFY(!Drop(&window, {QUrl::fromLocalFile("/a/one.YRA")}) || spy.size() == 4);
        QCOMPARE(spy.size(), 4);
    }

    void theDropGoesOnAfterTheWindowIsRecreated() {
        QWidget window;
        TDropDst drop(&window);
        drop.SetControl(&window);
        window.show();
        QSignalSpy spy(&drop, &TDropDst::OnFileDrop);
        // A change of flags makes the window system window anew.
        window.setWindowFlags(window.windowFlags() | Qt::WindowStaysOnTopHint);
        window.show();
        QVERIFY(window.acceptDrops());
        QVERIFY(Drop(&window, {QUrl::fromLocalFile("/a/one.YRA")}));
        QCOMPARE(spy.size(), 1);
    }

    void aDroppedFolderIsSkippedAndItsFilesAreNot() {
        TVMainForm frame;
        frame.show();
        QVERIFY(Drop(&frame, {QUrl::fromLocalFile(temp_.path()), QUrl::fromLocalFile(album_),
                              QUrl::fromLocalFile(second_)}));
        QTRY_COMPARE(frame.DocumentWindows().size(), 2);
        QCOMPARE(frame.DocumentWindows()[0]->Doc().AlbumPath, album_);
        QCOMPARE(frame.DocumentWindows()[1]->Doc().AlbumPath, second_);
    }

    void everyHelpContextHasItsTopic() {
        QFile file(HelpFilePath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<HelpTopic> topics = ReadHelpTopics(QString::fromUtf8(file.readAll()));
        QSet<int> anchors;
        for (const HelpTopic& topic : topics) {
            QVERIFY2(!anchors.contains(topic.context), qPrintable(topic.title));
            anchors << topic.context;
            QVERIFY(!topic.title.isEmpty());
            QVERIFY(!topic.text.trimmed().isEmpty());
        }
        TVMainForm frame;
        QSet<int> used = Contexts({frame.File1(), frame.Show1(), frame.Mn_Window(), frame.Help1()});
        TViewForm* form = frame.OpenAlbum(album_);
        QVERIFY(form != nullptr);
        used += Contexts(form->DocumentMenus());
        used << kFrameHelpContext;
        for (int context : used)
            QVERIFY2(anchors.contains(context), qPrintable(QString::number(context)));
        QVERIFY(used.contains(39));  // 現在の環境
        QVERIFY(used.contains(54));  // the zoom entries
    }

    void f1OpensTheFramesTopicOrTheHighlightedItems() {
        TVMainForm frame;
        frame.show();
        QVERIFY(QTest::qWaitForWindowActive(&frame));
        QTest::keyClick(&frame, Qt::Key_F1);
        QVERIFY(Help() != nullptr);
        QTRY_VERIFY(Help()->isVisible());
        QCOMPARE(Help()->CurrentContext(), 82);
        // Over the frame, not wherever the window system puts it.
        QVERIFY(
            (Help()->frameGeometry().center() - frame.frameGeometry().center()).manhattanLength() <=
            8);
        Help()->hide();

        // F1 on a highlighted item of an open menu: that item's topic.
        QMenu* window = frame.Mn_Window();
        QTimer::singleShot(50, window, [window] {
            window->setActiveAction(window->actions()[2]);  // 重ねて表示
            QTest::keyClick(window, Qt::Key_F1);
        });
        QTimer::singleShot(400, window, [window] { window->close(); });
        window->exec(frame.mapToGlobal(QPoint(10, 10)));
        QCOMPARE(Help()->CurrentContext(), 62);
        Help()->hide();
    }

    void theTopicFinderSearches() {
        HelpWindow* help = Help();
        QVERIFY(help != nullptr);
        help->ShowFinder();
        QTRY_COMPARE(QApplication::focusWidget(), help->SearchField());
        const int all = help->Index()->count();
        QVERIFY(all > 30);
        help->SearchField()->setText(QStringLiteral("余白"));
        QVERIFY(help->Index()->count() > 0);
        QVERIFY(help->Index()->count() < all);
        bool margin = false;
        for (int i = 0; i < help->Index()->count(); ++i) {
            margin = margin || help->Index()->item(i)->text().contains(QStringLiteral("マージン"));
        }
        QVERIFY(margin);
        help->Index()->setCurrentRow(0);
        QVERIFY(help->CurrentContext() != 0);
        help->SearchField()->clear();
        QCOMPARE(help->Index()->count(), all);
        help->hide();
    }

    void theTopicFinderIsOfferedOnlyWithAHelp() {
        TVMainForm frame;
        QAction* finder = frame.Help1()->actions()[0];
        frame.Help1Click();
        QVERIFY(finder->isEnabled());
        SetProgramFolder(temp_.filePath("elsewhere"));
        frame.Help1Click();
        QVERIFY(!finder->isEnabled());
        SetProgramFolder(temp_.filePath("program"));
    }

    void aStartWithoutAlbumsShowsTheVersionDialog() {
        TVMainForm frame;
        frame.SetStartFiles({});
        bool shown = false;
        QTimer watch;
        connect(&watch, &QTimer::timeout, [&] {
            if (auto* dialog = qobject_cast<TVerForm*>(QApplication::activeModalWidget())) {
                shown = true;
                dialog->accept();
            }
        });
        watch.start(20);
        frame.show();
        QTRY_VERIFY_WITH_TIMEOUT(shown, 5000);
        QCOMPARE(frame.DocumentWindows().size(), 0);
    }

    void theRecentAlbumsAreKeptNewestFirstAndAtMostEight() {
        {
            TVMainForm frame;
            frame.OpenAlbum(album_);
            frame.OpenAlbum(second_);
            frame.OpenAlbum(album_);
        }
        QCOMPARE(RecentFiles::Read(), (QStringList{album_, second_}));
        RecentFiles recent([](const QString&) {});
        for (int i = 0; i < 10; ++i) recent.Add(temp_.filePath(QStringLiteral("x%1.YRA").arg(i)));
        QCOMPARE(RecentFiles::Read().size(), 8);
        QCOMPARE(RecentFiles::Read().first(), temp_.filePath("x9.YRA"));

        TVMainForm frame;
        QStringList opened;
        QMenu* menu = frame.Recent()->Menu();
        emit menu->aboutToShow();
        QCOMPARE(menu->actions().size(), 8);
        QCOMPARE(menu->actions()[0]->text(), QStringLiteral("&1 x9.YRA"));
        // In a document's File menu too, after its open command.
        TViewForm* form = frame.OpenAlbum(album_);
        QVERIFY(form != nullptr);
        const QList<QAction*> items = form->DocumentMenus().first()->actions();
        QCOMPARE(items[1], menu->menuAction());
        emit menu->aboutToShow();
        menu->actions()[1]->trigger();  // x9 is gone now: album_ is first, then x9 ...
        QCOMPARE(frame.DocumentWindows().size(), 1);  // a missing file opens nothing
    }

  private:
    QTemporaryDir temp_;
    QString album_;
    QString second_;
};

QTEST_MAIN(ShellCommandsTest)
#include "ShellCommands_test.moc"
