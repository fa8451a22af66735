// The hand-over between a second start and the running viewer, inside one process: the wire
// form and its refusals, what a second start sends, the claim, the private folder, and who may
// connect.
#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QtEndian>

#include <cstring>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include "app/SingleInstance.h"

using namespace tavlex;

namespace {

QByteArray Wire(std::uint32_t code, std::uint32_t length, const QByteArray& data) {
    QByteArray bytes(8, '\0');
    qToLittleEndian(code, bytes.data());
    qToLittleEndian(length, bytes.data() + 4);
    return bytes + data;
}

// A second start in its own thread, as a second process would run it.
class Sender : public QThread {
  public:
    Sender(QString folder, QList<QByteArray> messages, int waitMs)
        : folder_(std::move(folder)), messages_(std::move(messages)), waitMs_(waitMs) {}
    SingleInstance::Outcome outcome = SingleInstance::Outcome::TimedOut;

  protected:
    void run() override {
        SingleInstance instance(folder_);
        outcome = instance.Check(messages_, waitMs_);
    }

  private:
    QString folder_;
    QList<QByteArray> messages_;
    int waitMs_;
};

}  // namespace

class SingleInstanceTest : public QObject {
    Q_OBJECT

  private slots:
    void messagesRoundTrip() {
        QByteArray buffer = EncodeHandOver(HandOverCode::OpenFile, "/albums/写真.YRA") +
                            EncodeHandOver(HandOverCode::Activate, "*");
        // Arriving in pieces: nothing is taken before a message is whole.
        QByteArray arriving;
        QList<HandOverMessage> taken;
        for (char byte : buffer) {
            arriving.append(byte);
            while (auto message = TakeHandOver(arriving)) taken << *message;
        }
        QCOMPARE(taken.size(), 2);
        QCOMPARE(taken[0].code, 1u);
        QCOMPARE(taken[0].data, QByteArray("/albums/写真.YRA"));
        QCOMPARE(taken[1].code, 2u);
        QCOMPARE(taken[1].data, QByteArray("*"));
        QVERIFY(arriving.isEmpty());
    }

    void refusedData_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty data") << Wire(1, 0, {});
        QTest::newRow("too long") << Wire(1, kMaxHandOverData + 1, {});
        QTest::newRow("length near 4 GiB") << Wire(1, 0xFFFFFFFFu, {});
        QTest::newRow("no terminating NUL") << Wire(1, 3, "abc");
    }
    void refusedData() {
        QFETCH(QByteArray, bytes);
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, TakeHandOver(bytes));
    }

    void dataStopAtTheFirstNul() {
        QByteArray bytes = Wire(1, 6, QByteArray("ab\0cd\0", 6));
        const auto message = TakeHandOver(bytes);
        QVERIFY(message.has_value());
        QCOMPARE(message->data, QByteArray("ab"));
    }

    void aSecondStartSendsExistingFilesMadeAbsolute() {
        QTemporaryDir dir;
        QDir().mkpath(dir.filePath("sub/folder.YRA"));
        QFile file(dir.filePath("sub/a.YRA"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        const QList<QByteArray> messages = HandOverMessages(
            {"a.YRA", "", "missing.YRA", "folder.YRA", "../sub/a.YRA"}, dir.filePath("sub"));
        QCOMPARE(messages.size(), 2);
        const QByteArray expected =
            EncodeHandOver(HandOverCode::OpenFile, QFile::encodeName(dir.filePath("sub/a.YRA")));
        QCOMPARE(messages[0], expected);
        QCOMPARE(messages[1], expected);
        QCOMPARE(HandOverMessages({}, dir.path()),
                 QList<QByteArray>{EncodeHandOver(HandOverCode::Activate, "*")});
        QVERIFY(HandOverMessages({"missing.YRA"}, dir.path()).isEmpty());
    }

    void theFirstTakesTheClaimAndAStartingOneIsWaitedFor() {
        QTemporaryDir dir;
        SingleInstance first(dir.path());
        QCOMPARE(first.Check({}, 1000), SingleInstance::Outcome::First);
        QVERIFY(first.HoldsClaim());
        // The claim is held but nobody listens yet: a second start waits, then gives up.
        SingleInstance second(dir.path());
        QCOMPARE(second.Check(HandOverMessages({}, dir.path()), 300),
                 SingleInstance::Outcome::TimedOut);
        QVERIFY(!second.HoldsClaim());

        // Listening late, within the second start's wait: its message arrives.
        QList<HandOverMessage> received;
        Sender late(dir.path(), HandOverMessages({}, dir.path()), 10000);
        late.start();
        QTest::qWait(300);
        QVERIFY(first.Listen([&](const HandOverMessage& m) { received << m; }));
        QTRY_VERIFY_WITH_TIMEOUT(late.isFinished(), 10000);
        QCOMPARE(late.outcome, SingleInstance::Outcome::HandedOver);
        QCOMPARE(received.size(), 1);
        QCOMPARE(received[0].code, 2u);
    }

    void eachMessageIsAnsweredAfterItWasDealtWith() {
        QTemporaryDir dir;
        SingleInstance first(dir.path());
        QCOMPARE(first.Check({}, 1000), SingleInstance::Outcome::First);
        QStringList order;
        Sender* sender = nullptr;
        QVERIFY(first.Listen([&](const HandOverMessage& m) {
            // The sender is still waiting while a message is being dealt with.
            QTest::qWait(100);
            order << (sender->isFinished() ? QStringLiteral("late") : QString::fromUtf8(m.data));
        }));
        const QList<QByteArray> messages = {EncodeHandOver(HandOverCode::OpenFile, "/a"),
                                            EncodeHandOver(HandOverCode::OpenFile, "/b"),
                                            EncodeHandOver(HandOverCode::OpenFile, "/c")};
        sender = new Sender(dir.path(), messages, 10000);
        sender->start();
        QTRY_VERIFY_WITH_TIMEOUT(sender->isFinished(), 10000);
        QCOMPARE(sender->outcome, SingleInstance::Outcome::HandedOver);
        QCOMPARE(order, (QStringList{"/a", "/b", "/c"}));
        delete sender;
    }

    void aReleasedClaimPassesToTheNextStart() {
        QTemporaryDir dir;
        {
            SingleInstance first(dir.path());
            QCOMPARE(first.Check({}, 1000), SingleInstance::Outcome::First);
            QVERIFY(first.Listen([](const HandOverMessage&) {}));
            QVERIFY(QFile::exists(first.SocketPath()));
        }
        SingleInstance next(dir.path());
        QCOMPARE(next.Check(HandOverMessages({}, dir.path()), 1000),
                 SingleInstance::Outcome::First);
    }

    void theFolderIsPrivate() {
        QTemporaryDir run;
        const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(run.path()));
        QDir().mkpath(run.filePath("tavlex"));
        ::chmod(QFile::encodeName(run.filePath("tavlex")).constData(), 0755);
        const QString folder = InstanceFolder();
        QCOMPARE(folder, run.filePath("tavlex"));
        struct stat info {};
        QCOMPARE(::stat(QFile::encodeName(folder).constData(), &info), 0);
        QCOMPARE(info.st_mode & 0777, 0700u);  // a folder of ours left open is narrowed

        // A runtime folder that is a link is not trusted: the per-user temporary one is used.
        QVERIFY(QFile::link(run.path(), run.path() + "-link"));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(run.path() + "-link"));
        QVERIFY(InstanceFolder().startsWith(QDir::tempPath() + "/tavlex-"));
        QFile::remove(run.path() + "-link");
        qputenv("XDG_RUNTIME_DIR", saved);
    }

    // Run as root (the tests are), a child that becomes an ordinary user tries the socket.
    void anotherUserCanNeitherConnectNorTakeOver() {
        if (::geteuid() != 0) {
            QFAIL("needs root to act as a second user");
        }
        QTemporaryDir run;
        const QString folder = run.filePath("tavlex");
        QVERIFY(QDir().mkpath(folder));
        ::chmod(QFile::encodeName(folder).constData(), 0700);
        // The parent of the folder must be passable for the test to show that the folder's own
        // rights are what stop the other user.
        ::chmod(QFile::encodeName(run.path()).constData(), 0755);
        SingleInstance first(folder);
        QCOMPARE(first.Check({}, 1000), SingleInstance::Outcome::First);
        QVERIFY(first.Listen([](const HandOverMessage&) {}));
        const QByteArray socketPath = QFile::encodeName(first.SocketPath());
        const QByteArray lockPath = QFile::encodeName(first.LockPath());

        const pid_t child = ::fork();
        if (child == 0) {
            if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(10);
            // Plain calls only: this is a forked copy of a threaded process.
            const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            std::strncpy(address.sun_path, socketPath.constData(), sizeof(address.sun_path) - 1);
            if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0) {
                ::_exit(11);
            }
            if (::unlink(socketPath.constData()) == 0) ::_exit(12);
            if (::open(lockPath.constData(), O_RDWR) >= 0) ::_exit(13);
            ::_exit(0);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 0);
        QVERIFY(QFile::exists(first.SocketPath()));
    }
};

QTEST_MAIN(SingleInstanceTest)
#include "SingleInstance_test.moc"
