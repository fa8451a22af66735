// The reaper holds only a few threads, joins each once it ends, and waits for all of them when
// asked to.
#include <QApplication>
#include <QProcess>
#include <QScreen>
#include <QtTest>

#include <cstdio>

#include <atomic>
#include <future>
#include <vector>

#include "tests/album/GatedBody.h"
#include "view/ThreadReaper.h"

using namespace tavlex;

namespace {

// Threads that stay inside their body until their gate opens, as a renderer inside one record.
struct GatedThreads {
    std::promise<void> gate;
    std::shared_future<void> opened = gate.get_future().share();
    std::atomic<int> ended{0};

    ThreadReaper::Handle Spawn() {
        return ThreadReaper::Instance().Spawn([this] {
            opened.wait();
            ended.fetch_add(1);
        });
    }
};

constexpr char kExitChild[] = "TAVLEX_REAPER_EXIT_CHILD";

// The program ends while an adopted thread still draws: it says whether the application (its
// screens and fonts) was still there when it finished.
int EndWithAThreadHeld(int argc, char* argv[]) {
    QApplication app(argc, argv);
    ThreadReaper::Handle handle = ThreadReaper::Instance().Spawn([] {
        QThread::msleep(300);
        std::puts(QGuiApplication::primaryScreen() != nullptr ? "ended with the application"
                                                              : "ended after the application");
        std::fflush(stdout);
    });
    return ThreadReaper::Instance().Adopt(handle, false) ? 0 : 2;
}

}  // namespace

class ThreadReaperTest : public QObject {
    Q_OBJECT
  private slots:
    void cleanup();
    void holdsAFewAndJoinsEachAsItEnds();
    void joinAllWaitsForEveryThread();
    void programEndWaitsWhileTheApplicationLives();
};

void ThreadReaperTest::cleanup() {
    QTRY_COMPARE(ThreadReaper::Instance().Held(), 0);
}

void ThreadReaperTest::holdsAFewAndJoinsEachAsItEnds() {
    ThreadReaper& reaper = ThreadReaper::Instance();
    const int threads = test::ThreadCount();
    GatedThreads first;
    GatedThreads rest;
    for (int i = 0; i < ThreadReaper::kMaxHeld; ++i) {
        ThreadReaper::Handle handle = i == 0 ? first.Spawn() : rest.Spawn();
        QVERIFY(reaper.Adopt(handle, false));
        QVERIFY(!handle.thread.joinable());
    }
    QCOMPARE(reaper.Held(), ThreadReaper::kMaxHeld);

    // Full: the thread is given back to its owner, still running.
    GatedThreads late;
    ThreadReaper::Handle refused = late.Spawn();
    QVERIFY(!reaper.Adopt(refused, false));
    QVERIFY(refused.thread.joinable());

    // Waiting for room: it comes once one held thread ends, and not before.
    std::thread opener([&] {
        QThread::msleep(100);
        first.gate.set_value();
    });
    const bool adopted = reaper.Adopt(refused, true);
    opener.join();
    QVERIFY(adopted);
    QCOMPARE(first.ended.load(), 1);
    QCOMPARE(rest.ended.load(), 0);
    QTRY_COMPARE(reaper.Held(), ThreadReaper::kMaxHeld);

    rest.gate.set_value();
    late.gate.set_value();
    QTRY_COMPARE(reaper.Held(), 0);
    QCOMPARE(rest.ended.load(), ThreadReaper::kMaxHeld - 1);
    QCOMPARE(late.ended.load(), 1);
    // Every thread joined, the reaper's own as well.
    QTRY_VERIFY(test::ThreadCount() <= threads);
}

void ThreadReaperTest::joinAllWaitsForEveryThread() {
    ThreadReaper& reaper = ThreadReaper::Instance();
    GatedThreads stuck;
    for (int i = 0; i < 3; ++i) {
        ThreadReaper::Handle handle = stuck.Spawn();
        QVERIFY(reaper.Adopt(handle, false));
    }
    std::thread opener([&] {
        QThread::msleep(100);
        stuck.gate.set_value();
    });
    reaper.JoinAll();
    opener.join();
    QCOMPARE(stuck.ended.load(), 3);
    QCOMPARE(reaper.Held(), 0);

    // Usable again afterwards.
    GatedThreads more;
    ThreadReaper::Handle handle = more.Spawn();
    QVERIFY(reaper.Adopt(handle, false));
    more.gate.set_value();
    QTRY_COMPARE(reaper.Held(), 0);
    QCOMPARE(more.ended.load(), 1);
}

void ThreadReaperTest::programEndWaitsWhileTheApplicationLives() {
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(kExitChild), QStringLiteral("1"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(), {});
    QVERIFY(child.waitForFinished(30'000));
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), 0);
    QCOMPARE(child.readAllStandardOutput().trimmed(), QByteArray("ended with the application"));
}

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsSet(kExitChild)) return EndWithAThreadHeld(argc, argv);
    QApplication app(argc, argv);
    ThreadReaperTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "ThreadReaper_test.moc"
