#pragma once

// One running copy per user and data directory. The first copy holds a lock
// file and listens on a local socket; a later copy finds the lock taken,
// asks the first over the socket to bring its topmost window forward, and
// ends. A copy that crashed leaves a lock whose process is gone, which the
// next start takes over (QLockFile tells a live holder from a dead one). The
// socket lives in a module opened when first needed (instance_module.h):
// the running copy listens once its first window has painted.

#include <QLockFile>
#include <QObject>
#include <filesystem>
#include <memory>

namespace mivex::app {

class SingleInstance final : public QObject {
    Q_OBJECT

public:
    // The key is made from the user and the data directory's full path.
    explicit SingleInstance(const std::filesystem::path& dataDirectory);
    ~SingleInstance() override;

    // True when this is now the running copy; false when another one runs.
    // The running copy starts listening after the first paint of a window.
    [[nodiscard]] bool Claim();

    // Starts answering later copies now; once only. Without the socket a
    // later copy cannot raise this one and says so; that is no reason not to
    // run, so a failure is only logged.
    void Listen();

    // From a later copy: asks the running one to come forward. False when it
    // could not be reached.
    [[nodiscard]] bool AskRunningCopyToRaise();

    [[nodiscard]] const QString& ServerName() const { return serverName_; }

signals:
    void raiseRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString serverName_;
    std::unique_ptr<QLockFile> lock_;
    bool listening_ = false;
};

}  // namespace mivex::app
