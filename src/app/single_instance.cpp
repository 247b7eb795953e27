#include "app/single_instance.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QEvent>
#include <QStandardPaths>
#include <QTimer>
#include <string>

#include "app/instance_module.h"
#include "platform/loadable_module.h"

namespace mivex::app {

namespace {

// The module's entry, or null with the loader's words in `error`.
const InstanceModuleEntry* InstanceModule(std::string& error) {
    static std::string loadError;
    static const InstanceModuleEntry* const entry = [] {
        void* symbol =
            platform::LoadModuleSymbol(kInstanceModuleFile, kInstanceModuleSymbol, loadError);
        if (symbol == nullptr)
            return static_cast<const InstanceModuleEntry*>(nullptr);
        const InstanceModuleEntry* found = reinterpret_cast<InstanceModuleEntryFunction>(symbol)();
        if (found == nullptr || found->version != kInstanceModuleVersion) {
            loadError = std::string(kInstanceModuleFile) + " is from another version of Mivex";
            return static_cast<const InstanceModuleEntry*>(nullptr);
        }
        return found;
    }();
    error = loadError;
    return entry;
}

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
    : serverName_(KeyFor(dataDirectory)) {}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::Claim() {
    lock_ = std::make_unique<QLockFile>(RuntimeFolder() + QLatin1Char('/') + serverName_ +
                                        QStringLiteral(".lock"));
    if (!lock_->tryLock(0))
        return false;
    // The lock alone makes this the running copy; answering later copies
    // can wait until the window has shown itself.
    QCoreApplication::instance()->installEventFilter(this);
    return true;
}

bool SingleInstance::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Paint) {
        QCoreApplication::instance()->removeEventFilter(this);
        QTimer::singleShot(0, this, &SingleInstance::Listen);
    }
    return QObject::eventFilter(watched, event);
}

void SingleInstance::Listen() {
    if (listening_)
        return;
    listening_ = true;
    std::string error;
    QString listenError;
    const InstanceModuleEntry* module = InstanceModule(error);
    if (module == nullptr) {
        listenError = QString::fromStdString(error);
    } else if (module->listen(
                   serverName_, this, [this] { emit raiseRequested(); }, listenError)) {
        return;
    }
    qWarning("mivex: other copies cannot reach this one: %s", qPrintable(listenError));
}

bool SingleInstance::AskRunningCopyToRaise() {
    std::string error;
    const InstanceModuleEntry* module = InstanceModule(error);
    return module != nullptr && module->askToRaise(serverName_);
}

}  // namespace mivex::app
