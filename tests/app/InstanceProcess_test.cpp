// The viewer started for real, as a file manager or a shell starts it: one instance per user,
// hand-overs in order and in the right folder, the cap of the command line, two starts at the
// same moment, a crash's leftovers. Every test runs in its own HOME and XDG folders, so runs of
// other worktrees never meet it. The running side is either a real viewer (its state is read
// from TAVLEX_STATE_FILE) or, where the test must act on it (a dialog, a minimised frame), a
// frame in this process.
#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

#include "app/HandOverReceiver.h"
#include "app/ProcessFolders.h"
#include "app/SingleInstance.h"
#include "app/TVMainForm.h"
#include "app/TVerForm.h"
#include "tests/view/ViewFixture.h"
#include "view/ViewerSettings.h"

using namespace tavlex;

namespace {

constexpr int kLongWait = 30000;

// Private per-user folders and the albums of one test.
class Sandbox {
  public:
    Sandbox() {
        for (const char* sub : {"home", "data", "config", "cache", "run", "albums", "elsewhere"}) {
            QDir().mkpath(root_.filePath(sub));
        }
        ::chmod(QFile::encodeName(root_.filePath("run")).constData(), 0700);
        env_ = QProcessEnvironment::systemEnvironment();
        env_.insert("HOME", root_.filePath("home"));
        env_.insert("XDG_DATA_HOME", root_.filePath("data"));
        env_.insert("XDG_CONFIG_HOME", root_.filePath("config"));
        env_.insert("XDG_CACHE_HOME", root_.filePath("cache"));
        env_.insert("XDG_RUNTIME_DIR", root_.filePath("run"));
        env_.insert("TAVLEX_STATE_FILE", StatePath());
        env_.insert("QT_QPA_PLATFORM", "offscreen");
        env_.insert("TAVLEX_SCREEN_DPI", "96");
    }
    ~Sandbox() {
        for (QProcess* process : processes_) {
            process->kill();
            process->waitForFinished(5000);
            delete process;
        }
    }

    QString Path(const QString& name) const { return root_.filePath(name); }
    QString StatePath() const { return root_.filePath("state"); }
    QString InstanceFolder() const { return root_.filePath("run/tavlex"); }

    QString Album(const QString& name, int pages = 2) {
        test::AlbumRecipe recipe;
        recipe.pages = pages;
        QTemporaryDir* dir = &root_;
        return test::WriteAlbum(*dir, name, recipe);
    }

    QProcess* Start(const QStringList& arguments, const QString& folder = {}) {
        auto* process = new QProcess;
        process->setProcessEnvironment(env_);
        process->setWorkingDirectory(folder.isEmpty() ? root_.filePath("elsewhere") : folder);
        process->start(QStringLiteral(TAVLEX_VIEWER), arguments);
        processes_ << process;
        return process;
    }

    // The running viewer's report, once it says what wanted says.
    QStringList State() const {
        QFile file(StatePath());
        if (!file.open(QIODevice::ReadOnly)) return {};
        return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
    }
    QStringList Documents() const {
        QStringList documents;
        for (const QString& line : State()) {
            if (line.startsWith("document ")) documents << line.mid(9);
        }
        return documents;
    }

  private:
    QTemporaryDir root_;
    QProcessEnvironment env_;
    QList<QProcess*> processes_;
};

bool Ended(QProcess* process) {
    return process->state() == QProcess::NotRunning;
}

// The running side in this process, where a test must act on it (a dialog, a minimised frame):
// the first instance, listening, with an album of its own open so that no version dialog comes
// up at its start.
struct InProcessViewer {
    explicit InProcessViewer(Sandbox& box)
        : box_(Prepared(box)),
          receiver(&frame, [this](const QString& path) { frame.OpenAlbum(path); }),
          instance(box.InstanceFolder()) {}

    // Becomes the first instance and shows the frame; the caller waits for the album.
    bool Start() {
        if (instance.Check({}, 1000) != SingleInstance::Outcome::First) return false;
        if (!instance.Listen([this](const HandOverMessage& m) { receiver.Receive(m); })) {
            return false;
        }
        frame.SetStartFiles({box_.Album("own.YRA")});
        frame.show();
        return true;
    }

  private:
    // The folders and settings the frame reads when it is made.
    static Sandbox& Prepared(Sandbox& box) {
        QDir().mkpath(box.InstanceFolder());
        ::chmod(QFile::encodeName(box.InstanceFolder()).constData(), 0700);
        SetProcessFolders({box.Path("program"), box.Path("program/VIEWFILE"), box.Path("data")});
        Settings() = ViewerSettings();
        return box;
    }

    Sandbox& box_;

  public:
    TVMainForm frame;
    HandOverReceiver receiver;
    SingleInstance instance;
};

}  // namespace

class InstanceProcessTest : public QObject {
    Q_OBJECT

  private slots:
    void aSecondStartHandsOverItsExistingFilesInOrder() {
        Sandbox box;
        const QString a = box.Album("a.YRA"), b = box.Album("b.YRB"), c = box.Album("c.YRD");
        QProcess* first = box.Start({a});
        QTRY_COMPARE_WITH_TIMEOUT(box.Documents(), QStringList{a}, kLongWait);
        QProcess* second = box.Start({b, box.Path("albums/none.YRA"), c});
        QTRY_VERIFY_WITH_TIMEOUT(Ended(second), kLongWait);
        QCOMPARE(second->exitStatus(), QProcess::NormalExit);
        QCOMPARE(second->exitCode(), 0);
        // Answered only after the documents had opened: they are there when the sender ends.
        QTRY_COMPARE_WITH_TIMEOUT(box.Documents(), (QStringList{a, b, c}), 2000);
        QVERIFY(!Ended(first));
    }

    // Mended: the name is resolved where it was typed, not in the running viewer's folder, which
    // holds a different album of the same name.
    void aRelativeNameOpensTheFileOfTheSendersFolder() {
        Sandbox box;
        const QString a = box.Album("a.YRA");
        const QString mine = box.Album("albums/same.YRA", 3);
        box.Album("elsewhere/same.YRA", 4);  // in the running viewer's folder
        box.Start({a});
        QTRY_COMPARE_WITH_TIMEOUT(box.Documents().size(), 1, kLongWait);
        QProcess* second = box.Start({"same.YRA"}, box.Path("albums"));
        QTRY_VERIFY_WITH_TIMEOUT(Ended(second), kLongWait);
        QTRY_COMPARE_WITH_TIMEOUT(box.Documents(), (QStringList{a, mine}), 2000);
    }

    void sixtyNamesOpenFiftyWindowsForTheFirstFifty() {
        Sandbox box;
        QStringList names;
        for (int i = 0; i < 60; ++i) {
            names << box.Album(QStringLiteral("albums/%1.YRA").arg(i, 2, 10, QLatin1Char('0')), 1);
        }
        box.Start(names);
        QTRY_COMPARE_WITH_TIMEOUT(box.Documents().size(), 50, 60000);
        // 31 bodies fit in the temporary names; the windows after them stay open without a page.
        const QStringList documents = box.Documents();
        QCOMPARE(documents.mid(0, 31), names.mid(0, 31));
        QTest::qWait(500);
        QCOMPARE(box.Documents().size(), 50);
    }

    void twoStartsAtOnceEndWithOneViewerShowingBoth() {
        Sandbox box;
        const QString a = box.Album("a.YRA"), b = box.Album("b.YRA");
        QProcess* one = box.Start({a});
        QProcess* two = box.Start({b});
        QTRY_VERIFY_WITH_TIMEOUT(Ended(one) || Ended(two), kLongWait);
        QProcess* gone = Ended(one) ? one : two;
        QProcess* survivor = gone == one ? two : one;
        QCOMPARE(gone->exitCode(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(box.Documents().size(), 2, kLongWait);
        QStringList documents = box.Documents();
        documents.sort();
        QCOMPARE(documents, (QStringList{a, b}));
        QTest::qWait(300);
        QVERIFY(!Ended(survivor));
    }

    void aCrashedViewersSocketDoesNotStopTheNextStart() {
        Sandbox box;
        const QString a = box.Album("a.YRA"), b = box.Album("b.YRA"), c = box.Album("c.YRA");
        QProcess* crashed = box.Start({a});
        QTRY_COMPARE_WITH_TIMEOUT(box.Documents().size(), 1, kLongWait);
        crashed->kill();
        QVERIFY(crashed->waitForFinished(5000));
        QVERIFY(QFile::exists(box.InstanceFolder() + "/Tavlex9Mutex.socket"));
        QFile::remove(box.StatePath());
        QProcess* next = box.Start({b});
        QTRY_COMPARE_WITH_TIMEOUT(box.Documents(), QStringList{b}, kLongWait);
        QProcess* third = box.Start({c});
        QTRY_VERIFY_WITH_TIMEOUT(Ended(third), kLongWait);
        QTRY_COMPARE_WITH_TIMEOUT(box.Documents(), (QStringList{b, c}), 2000);
        QVERIFY(!Ended(next));
    }

    void aStartWithoutNamesBringsTheViewerForward() {
        Sandbox box;
        InProcessViewer viewer(box);
        QVERIFY(viewer.Start());
        TVMainForm& frame = viewer.frame;
        QTRY_COMPARE_WITH_TIMEOUT(frame.DocumentWindows().size(), 1, kLongWait);
        frame.showMinimized();
        QTRY_VERIFY(frame.isMinimized());
        QProcess* second = box.Start({});
        QTRY_VERIFY_WITH_TIMEOUT(Ended(second), kLongWait);
        QCOMPARE(second->exitCode(), 0);
        QVERIFY(!frame.isMinimized());
        QCOMPARE(frame.DocumentWindows().size(), 1);
    }

    // Mended: a hand-over during a dialog is kept and opens once the dialog has closed.
    void aHandOverDuringADialogOpensWhenItCloses() {
        Sandbox box;
        const QString a = box.Album("a.YRA");
        InProcessViewer viewer(box);
        QVERIFY(viewer.Start());
        TVMainForm& frame = viewer.frame;
        HandOverReceiver& receiver = viewer.receiver;
        QTRY_COMPARE_WITH_TIMEOUT(frame.DocumentWindows().size(), 1, kLongWait);
        // The version dialog, as a start without albums shows it.
        TVerForm& dialog = *frame.VerForm();
        dialog.show();
        QTRY_VERIFY(QApplication::activeModalWidget() == &dialog);
        QProcess* second = box.Start({a});
        QTRY_VERIFY_WITH_TIMEOUT(Ended(second), kLongWait);
        QCOMPARE(second->exitCode(), 0);
        QTest::qWait(300);
        QCOMPARE(frame.DocumentWindows().size(), 1);
        QCOMPARE(receiver.Pending(), 1);
        dialog.accept();
        QTRY_COMPARE_WITH_TIMEOUT(frame.DocumentWindows().size(), 2, 5000);
        QCOMPARE(frame.DocumentWindows()[1]->Doc().AlbumPath, a);
    }
};

QTEST_MAIN(InstanceProcessTest)
#include "InstanceProcess_test.moc"
