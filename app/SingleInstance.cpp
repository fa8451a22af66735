#include "app/SingleInstance.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QThread>
#include <QtEndian>

#include <stdexcept>

namespace tavlex {

namespace {

constexpr char kSocketName[] = "Tavlex9Mutex.socket";
constexpr char kLockName[] = "Tavlex9Mutex.lock";
constexpr int kRetryMs = 25;

std::uint32_t ReadU32(const char* bytes) {
    return qFromLittleEndian<std::uint32_t>(bytes);
}

QByteArray U32(std::uint32_t value) {
    QByteArray bytes(4, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

}  // namespace

QByteArray EncodeHandOver(HandOverCode code, const QByteArray& text) {
    QByteArray data = text;
    data.append('\0');
    return U32(static_cast<std::uint32_t>(code)) + U32(static_cast<std::uint32_t>(data.size())) +
           data;
}

std::optional<HandOverMessage> TakeHandOver(QByteArray& buffer) {
    if (buffer.size() < 8) return std::nullopt;
    const std::uint32_t code = ReadU32(buffer.constData());
    const std::uint32_t length = ReadU32(buffer.constData() + 4);
    if (length == 0 || length > kMaxHandOverData) {
        throw std::runtime_error("hand-over data of a length no sender writes");
    }
    if (static_cast<std::uint64_t>(buffer.size()) < 8 + std::uint64_t{length}) return std::nullopt;
    QByteArray data = buffer.mid(8, static_cast<qsizetype>(length));
    buffer.remove(0, 8 + static_cast<qsizetype>(length));
    const qsizetype end = data.indexOf('\0');
    if (end < 0) throw std::runtime_error("hand-over data without their terminating NUL");
    data.truncate(end);
    return HandOverMessage{code, data};
}

QList<QByteArray> HandOverMessages(const QStringList& arguments, const QString& currentFolder) {
    QList<QByteArray> messages;
    if (arguments.isEmpty()) {
        messages << EncodeHandOver(HandOverCode::Activate, QByteArrayLiteral("*"));
        return messages;
    }
    const QDir here(currentFolder);
    for (const QString& argument : arguments) {
        if (argument.isEmpty()) continue;
        // Tested and sent as this process sees it: the running viewer works in another folder.
        const QFileInfo file(here.absoluteFilePath(argument));
        if (!file.isFile()) continue;
        messages << EncodeHandOver(HandOverCode::OpenFile,
                                   QFile::encodeName(QDir::cleanPath(file.absoluteFilePath())));
    }
    return messages;
}

SingleInstance::SingleInstance(QString folder, QObject* parent)
    : QObject(parent), folder_(std::move(folder)) {}

SingleInstance::~SingleInstance() {
    Release();
}

QString SingleInstance::SocketPath() const {
    return folder_.isEmpty() ? QString() : folder_ + QLatin1Char('/') + QLatin1String(kSocketName);
}

QString SingleInstance::LockPath() const {
    return folder_.isEmpty() ? QString() : folder_ + QLatin1Char('/') + QLatin1String(kLockName);
}

SingleInstance::Outcome SingleInstance::Check(const QList<QByteArray>& messages, int waitMs) {
    if (folder_.isEmpty()) return Outcome::First;  // no private folder: nothing to meet in
    QElapsedTimer waited;
    waited.start();
    int next = 0;
    while (true) {
        QLocalSocket socket;
        socket.connectToServer(SocketPath());
        if (socket.waitForConnected(qMax(1, waitMs - int(waited.elapsed())))) {
            if (SendAll(socket, messages, next) == SendResult::Done) return Outcome::HandedOver;
            // The viewer went away before answering (it was closing): try again from the top,
            // taking its place if it is gone.
        } else {
            lockFd_ = TryTakeClaim(LockPath());
            if (lockFd_ >= 0) return Outcome::First;
        }
        // A viewer holds the claim but does not listen yet: it is still starting.
        if (waited.elapsed() >= waitMs) return Outcome::TimedOut;
        QThread::msleep(kRetryMs);
    }
}

SingleInstance::SendResult SingleInstance::SendAll(QLocalSocket& socket,
                                                   const QList<QByteArray>& messages, int& next) {
    for (; next < messages.size(); ++next) {
        socket.write(messages[next]);
        if (!socket.waitForBytesWritten(-1)) return SendResult::Lost;
        // The answer comes once the viewer has opened the file, however long that takes, as a
        // synchronous window message would; a viewer that ends closes the connection.
        while (socket.bytesAvailable() < 4) {
            if (!socket.waitForReadyRead(-1)) return SendResult::Lost;
        }
        socket.read(4);
    }
    socket.disconnectFromServer();
    return SendResult::Done;
}

bool SingleInstance::Listen(Handler handler) {
    if (lockFd_ < 0) return false;
    handler_ = std::move(handler);
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // A socket file left by a viewer that crashed: the claim is ours, so no one listens on it.
    QLocalServer::removeServer(SocketPath());
    if (!server_->listen(SocketPath())) {
        delete server_;
        server_ = nullptr;
        return false;
    }
    connect(server_, &QLocalServer::newConnection, this, &SingleInstance::Accept);
    return true;
}

void SingleInstance::Accept() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        if (!PeerIsThisUser(socket->socketDescriptor())) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { Read(socket); });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        Read(socket);
    }
}

void SingleInstance::Read(QLocalSocket* socket) {
    // A handler that opens a file may show a message box and so run events: the socket's next
    // bytes wait until this message has been answered, and the socket may go meanwhile.
    if (socket->property("tavlexBusy").toBool()) return;
    const QPointer<QLocalSocket> alive(socket);
    socket->setProperty("tavlexBusy", true);
    QByteArray buffer = socket->property("tavlexBuffer").toByteArray();
    try {
        do {
            buffer += socket->readAll();
            while (std::optional<HandOverMessage> message = TakeHandOver(buffer)) {
                // Codes other than 1 and 2 are not ours to act on; they are answered all the same.
                if (handler_ && (message->code == 1 || message->code == 2)) handler_(*message);
                if (alive.isNull()) return;
                if (socket->state() != QLocalSocket::ConnectedState) break;
                socket->write(U32(0));
                socket->flush();
            }
        } while (socket->bytesAvailable() > 0);
    } catch (const std::runtime_error&) {
        socket->abort();
        return;
    }
    socket->setProperty("tavlexBuffer", buffer);
    socket->setProperty("tavlexBusy", false);
}

void SingleInstance::Release() {
    if (server_ != nullptr) {
        server_->close();
        delete server_;
        server_ = nullptr;
    }
    if (lockFd_ >= 0) {
        DropClaim(lockFd_);
        lockFd_ = -1;
    }
}

}  // namespace tavlex
