#include "app/instance_module.h"

#include <unistd.h>

#include <QLocalServer>
#include <QLocalSocket>

namespace mivex::app {
namespace {

constexpr QByteArrayView kRaiseRequest = "raise\n";
constexpr int kConnectTimeoutMs = 2000;
// A first copy that has just taken the lock may not listen yet: it does
// once its window has painted.
constexpr int kConnectAttempts = 20;
constexpr unsigned kRetryMicroseconds = 100'000;

bool Listen(const QString& name, QObject* owner, std::function<void()> raise, QString& error) {
    auto* server = new QLocalServer(owner);
    QObject::connect(server, &QLocalServer::newConnection, server, [server, raise] {
        while (QLocalSocket* client = server->nextPendingConnection()) {
            QObject::connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
            QObject::connect(client, &QLocalSocket::readyRead, server, [client, raise] {
                if (client->readAll().contains(
                        QByteArray(kRaiseRequest.data(), kRaiseRequest.size()).trimmed()))
                    raise();
            });
        }
    });
    // Only the holder of the lock listens, so a socket of that name is a
    // crashed copy's.
    QLocalServer::removeServer(name);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (server->listen(name))
        return true;
    error = server->errorString();
    delete server;
    return false;
}

bool AskToRaise(const QString& name) {
    for (int attempt = 0; attempt < kConnectAttempts; ++attempt) {
        QLocalSocket socket;
        socket.connectToServer(name);
        if (socket.waitForConnected(kConnectTimeoutMs)) {
            socket.write(kRaiseRequest.data(), kRaiseRequest.size());
            const bool sent = socket.waitForBytesWritten(kConnectTimeoutMs);
            socket.disconnectFromServer();
            return sent;
        }
        usleep(kRetryMicroseconds);
    }
    return false;
}

constexpr InstanceModuleEntry kEntry{
    .version = kInstanceModuleVersion, .listen = &Listen, .askToRaise = &AskToRaise};

}  // namespace
}  // namespace mivex::app

// The only symbol the module shows; everything else is hidden by the build.
extern "C" __attribute__((visibility("default"))) const mivex::app::InstanceModuleEntry*
mivex_instance_module_entry() {
    return &mivex::app::kEntry;
}
