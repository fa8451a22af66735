#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <optional>

#include "app/platform/InstanceClaim.h"

class QLocalServer;
class QLocalSocket;

namespace tavlex {

// What a second start hands over to the running viewer.
enum class HandOverCode : std::uint32_t {
    OpenFile = 1,  // the data are a path, NUL-terminated
    Activate = 2,  // the data are "*": come forward
};

struct HandOverMessage {
    std::uint32_t code = 0;
    QByteArray data;  // up to (not including) the first NUL
};

// Wire form of one message: code and length as 32-bit little-endian numbers, then the data with
// their terminating NUL. The answer is one 32-bit number (0), written once the running viewer
// has dealt with the message.
QByteArray EncodeHandOver(HandOverCode code, const QByteArray& text);

// The most bytes a message's data may have; a longer one ends the connection.
inline constexpr std::uint32_t kMaxHandOverData = 64 * 1024;

// Takes complete messages off the front of buffer. Returns nullopt when more bytes are needed;
// throws std::runtime_error on data that no sender writes (too long, no terminating NUL).
std::optional<HandOverMessage> TakeHandOver(QByteArray& buffer);

// The messages a second start sends for its command line: without arguments one Activate "*";
// otherwise one OpenFile per argument that names an existing file, made absolute against
// currentFolder so that the running viewer (in a folder of its own) opens the same file.
// Arguments that name no existing file are left out (all of them: nothing is sent).
QList<QByteArray> HandOverMessages(const QStringList& arguments, const QString& currentFolder);

// The running viewer's claim (a lock on a file that the kernel drops when the process ends,
// however it ends) and its local socket. Another start connects and hands its files over.
//
// Thread: the user-interface thread only. Check() needs no application object, Listen() does.
class SingleInstance : public QObject {
    Q_OBJECT

  public:
    enum class Outcome {
        First,       // no viewer runs: this process holds the claim and goes on starting
        HandedOver,  // a running viewer has dealt with every message: end with exit code 0
        TimedOut,    // a viewer held the claim but never answered within the wait: end silently
    };

    // folder: InstanceFolder() (tests pass their own).
    explicit SingleInstance(QString folder, QObject* parent = nullptr);
    ~SingleInstance() override;

    // Either hands messages over to a running viewer, one at a time, each after the answer to
    // the one before, or takes the claim. A viewer that holds the claim but does not listen yet
    // (it is starting) is waited for; one that goes away before answering is replaced by this
    // process. Gives up after waitMs.
    Outcome Check(const QList<QByteArray>& messages, int waitMs = 10000);

    // Receiving side, once the claim is held: every message read is given to handler, and the
    // answer goes back when the handler returns. Connections of other users are refused.
    using Handler = std::function<void(const HandOverMessage&)>;
    bool Listen(Handler handler);

    // Stops listening (the socket file goes) and drops the claim.
    void Release();

    QString SocketPath() const;
    QString LockPath() const;
    bool HoldsClaim() const { return lockFd_ >= 0; }

  private:
    enum class SendResult { Done, Lost };
    SendResult SendAll(QLocalSocket& socket, const QList<QByteArray>& messages, int& next);
    void Accept();
    void Read(QLocalSocket* socket);

    QString folder_;
    int lockFd_ = -1;
    QLocalServer* server_ = nullptr;
    Handler handler_;
};

}  // namespace tavlex
