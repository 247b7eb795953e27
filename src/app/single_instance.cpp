#include "app/single_instance.h"

#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>

namespace mivex::app {

namespace {

constexpr QByteArrayView kRaiseRequest = "raise\n";
constexpr int kConnectTimeoutMs = 2000;
// A first copy that has just taken the lock may not listen yet.
constexpr int kConnectAttempts = 20;
constexpr unsigned kRetryMicroseconds = 100'000;

QString RuntimeFolder() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return folder;
}

QString KeyFor(const std::filesystem::path& dataDirectory) {
    std::error_code error;
    std::filesystem::path full = std::filesystem::weakly_canonical(dataDirectory, error);
    if (error)
        full = std::filesystem::absolute(dataDirectory, error);
    const QByteArray digest = QCryptographicHash::hash(QByteArray::fromStdString(full.string()),
                                                       QCryptographicHash::Sha256)
                                  .toHex()
                                  .left(16);
    return QStringLiteral("mivex-%1-%2").arg(getuid()).arg(QString::fromLatin1(digest));
}

}  // namespace

SingleInstance::SingleInstance(const std::filesystem::path& dataDirectory)
    : serverName_(KeyFor(dataDirectory)) {
    connect(&server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* client = server_.nextPendingConnection()) {
            connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
            connect(client, &QLocalSocket::readyRead, this, [this, client] {
                if (client->readAll().contains(
                        QByteArray(kRaiseRequest.data(), kRaiseRequest.size()).trimmed()))
                    emit raiseRequested();
            });
        }
    });
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::Claim() {
    lock_ = std::make_unique<QLockFile>(RuntimeFolder() + QLatin1Char('/') + serverName_ +
                                        QStringLiteral(".lock"));
    if (!lock_->tryLock(0))
        return false;
    // Holding the lock, any socket of that name is a crashed copy's.
    QLocalServer::removeServer(serverName_);
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    // The lock alone makes this the running copy. Without the socket a second
    // copy cannot raise this one and says so; that is no reason not to run.
    if (!server_.listen(serverName_))
        qWarning("mivex: other copies cannot reach this one: %s",
                 qPrintable(server_.errorString()));
    return true;
}

bool SingleInstance::AskRunningCopyToRaise() {
    for (int attempt = 0; attempt < kConnectAttempts; ++attempt) {
        QLocalSocket socket;
        socket.connectToServer(serverName_);
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

}  // namespace mivex::app
