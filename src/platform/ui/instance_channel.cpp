#include "platform/ui/instance_channel.h"

#include <unistd.h>  // getuid

#include <QByteArray>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <cstdlib>

namespace lumbrook::platform {
namespace {

// How long a request waits for the other process; it answers from its event loop, which a
// modal window keeps running.
constexpr int kConnectTimeoutMs = 1000;
constexpr int kReplyTimeoutMs = 3000;
// How long a claim waits for a process that holds the lock file to finish its own claim.
constexpr int kLockTimeoutMs = 5000;

const QByteArray kRaiseRequest = "raise\n";
const QByteArray kRaiseReply = "ok\n";

// The lock file that lets one process at a time claim the channel `name`: look for a listener,
// then listen.
QString LockFilePath(const std::string& name) {
    return QDir::tempPath() + "/" + QString::fromStdString(name) + ".lock";
}

// True when a process listens under `name` and accepts a connection.
bool Answers(const QString& name) {
    QLocalSocket probe;
    probe.connectToServer(name);
    const bool connected = probe.waitForConnected(kConnectTimeoutMs);
    probe.abort();
    return connected;
}

}  // namespace

std::string InstanceChannelName(const std::string& title) {
    // Titles may hold any character; hex keeps the socket name a plain file name.
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0')
        display = std::getenv("WAYLAND_DISPLAY");
    const std::string displayText = display != nullptr ? display : "";
    return "app-instance-u" + std::to_string(getuid()) + "-d" +
           QByteArray::fromStdString(displayText).toHex().toStdString() + "-t" +
           QByteArray::fromStdString(title).toHex().toStdString();
}

std::unique_ptr<InstanceChannel> InstanceChannel::Claim(const std::string& title,
                                                        std::function<void()> onRaise,
                                                        bool& otherRunning) {
    otherRunning = false;
    const std::string name = InstanceChannelName(title);
    const QString qname = QString::fromStdString(name);
    QLockFile lock(LockFilePath(name));
    // Without the lock the claim still goes ahead: a stuck lock file must not stop the
    // window from opening; QLockFile already takes over locks of dead processes.
    const bool locked = lock.tryLock(kLockTimeoutMs);
    if (Answers(qname)) {
        otherRunning = true;
        return nullptr;
    }
    std::unique_ptr<InstanceChannel> channel(new InstanceChannel());
    channel->onRaise_ = std::move(onRaise);
    channel->server_ = std::make_unique<QLocalServer>();
    channel->server_->setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(qname);  // a socket file left behind by a process that died
    if (!channel->server_->listen(qname)) {
        // Not reachable by others, but this process goes on as the first instance.
        channel->server_.reset();
    } else {
        QLocalServer* server = channel->server_.get();
        InstanceChannel* self = channel.get();
        QObject::connect(server, &QLocalServer::newConnection, server, [server, self] {
            while (QLocalSocket* socket = server->nextPendingConnection()) {
                QObject::connect(socket, &QLocalSocket::disconnected, socket,
                                 &QObject::deleteLater);
                QObject::connect(socket, &QLocalSocket::readyRead, socket, [socket, self] {
                    if (!socket->canReadLine())
                        return;
                    if (socket->readLine() == kRaiseRequest) {
                        socket->write(kRaiseReply);
                        socket->flush();
                        if (self->onRaise_)
                            self->onRaise_();
                    }
                });
            }
        });
    }
    if (locked)
        lock.unlock();
    return channel;
}

InstanceChannel::~InstanceChannel() {
    if (server_)
        server_->close();
}

bool RequestRaise(const std::string& title) {
    QLocalSocket socket;
    socket.connectToServer(QString::fromStdString(InstanceChannelName(title)));
    if (!socket.waitForConnected(kConnectTimeoutMs))
        return false;
    socket.write(kRaiseRequest);
    if (!socket.waitForBytesWritten(kReplyTimeoutMs))
        return false;
    QByteArray reply;
    while (!reply.endsWith('\n')) {
        if (!socket.waitForReadyRead(kReplyTimeoutMs))
            return false;
        reply += socket.readAll();
    }
    return reply == kRaiseReply;
}

}  // namespace lumbrook::platform
