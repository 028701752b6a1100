#include "shell/single_instance.h"

#include <cstdint>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QThread>

namespace {

constexpr char kForeground = 'F';
constexpr char kCopyData = 'D';
constexpr char kCommand = 'C';
constexpr quint32 kMaximumPayload = 4 * 1024 * 1024;
constexpr int kHeaderSize = 5;
// A first instance that is still starting may not listen yet.
constexpr int kConnectPatienceMs = 5000;
constexpr int kReplyPatienceMs = 10000;

std::string BaseName()
{
    return "VistrelViewerV-" + std::to_string(::getuid());
}

QString ServerPath()
{
    return QString::fromStdString(SingleInstance::RuntimeFolder() + "/" + BaseName());
}

QByteArray Message(char kind, const QByteArray& payload)
{
    QByteArray message;
    message.reserve(kHeaderSize + payload.size());
    message.append(kind);
    const auto length = static_cast<quint32>(payload.size());
    for (int shift = 0; shift < 32; shift += 8)
        message.append(static_cast<char>((length >> shift) & 0xFF));
    message.append(payload);
    return message;
}

quint32 ReadLength(const QByteArray& bytes, int offset)
{
    quint32 value = 0;
    for (int i = 0; i < 4; ++i)
        value |= static_cast<quint32>(static_cast<uint8_t>(bytes[offset + i])) << (8 * i);
    return value;
}

QByteArray Int32Payload(int32_t value)
{
    QByteArray bytes;
    for (int shift = 0; shift < 32; shift += 8)
        bytes.append(static_cast<char>((static_cast<uint32_t>(value) >> shift) & 0xFF));
    return bytes;
}

} // namespace

SingleInstance::SingleInstance() = default;

SingleInstance::~SingleInstance()
{
    if (m_server)
        m_server->close();
    if (m_lockFd >= 0)
        ::close(m_lockFd);
}

std::string SingleInstance::RuntimeFolder()
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir(QString::fromLocal8Bit(runtime)).exists())
        return runtime.toStdString();
    return QDir::tempPath().toStdString();
}

bool SingleInstance::TryBecomeFirst()
{
    if (m_lockFd >= 0)
        return true;
    const std::string lockPath = RuntimeFolder() + "/" + BaseName() + ".lock";
    const int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return true; // no lock can be had at all: run rather than refuse to start
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    m_lockFd = fd;
    return true;
}

bool SingleInstance::Listen()
{
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // We hold the lock, so a socket file left behind belongs to a browser that has ended.
    QLocalServer::removeServer(ServerPath());
    if (!m_server->listen(ServerPath()))
        return false;
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::AcceptConnections);
    return true;
}

void SingleInstance::AcceptConnections()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { ReadMessages(socket); });
        ReadMessages(socket);
    }
}

void SingleInstance::ReadMessages(QLocalSocket* socket)
{
    QPointer<QLocalSocket> guard(socket);
    while (guard && socket->bytesAvailable() >= kHeaderSize) {
        const QByteArray header = socket->peek(kHeaderSize);
        const quint32 length = ReadLength(header, 1);
        if (length > kMaximumPayload) {
            socket->abort(); // not one of ours
            return;
        }
        if (socket->bytesAvailable() < kHeaderSize + static_cast<qint64>(length))
            return;
        socket->read(kHeaderSize);
        const QByteArray payload = socket->read(length);
        switch (header[0]) {
        case kForeground:
            if (onForeground)
                onForeground();
            break;
        case kCopyData: {
            const qsizetype nul = payload.indexOf('\0');
            const std::string text = (nul < 0 ? payload : payload.left(nul)).toStdString();
            const int result = onCopyData ? onCopyData(text) : 0;
            if (guard)
                socket->write(Message(kCopyData, Int32Payload(result)));
            break;
        }
        case kCommand:
            if (payload.size() == 4 && onCommand) {
                const int command = static_cast<int>(ReadLength(payload, 0));
                QMetaObject::invokeMethod(
                    this,
                    [this, command] {
                        if (onCommand)
                            onCommand(command);
                    },
                    Qt::QueuedConnection);
            }
            break;
        default: socket->abort(); return;
        }
    }
}

bool SingleInstance::Forward(const std::string& text, int command)
{
    QLocalSocket socket;
    QElapsedTimer patience;
    patience.start();
    for (;;) {
        socket.connectToServer(ServerPath());
        if (socket.waitForConnected(500))
            break;
        if (patience.elapsed() > kConnectPatienceMs)
            return false;
        QThread::msleep(100);
    }
    QByteArray data = QByteArray::fromStdString("<POST>" + text);
    data.append('\0');
    socket.write(Message(kForeground, {}));
    socket.write(Message(kCopyData, data));
    if (!socket.waitForBytesWritten(kReplyPatienceMs))
        return false;
    // Like a blocking send: wait until the browser has taken the text.
    QElapsedTimer replyTimer;
    replyTimer.start();
    while (socket.bytesAvailable() < kHeaderSize + 4) {
        if (replyTimer.elapsed() > kReplyPatienceMs || !socket.waitForReadyRead(kReplyPatienceMs))
            return false;
    }
    socket.write(Message(kCommand, Int32Payload(command)));
    socket.waitForBytesWritten(kReplyPatienceMs);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(1000);
    return true;
}
