// mivex: the desktop program. See --help.

#include <QApplication>
#include <QCommandLineParser>
#include <QDBusConnection>
#include <QEvent>
#include <QThread>
#include <cstdio>
#include <optional>
#include <string>
#include <utility>

#include "app/app_context.h"
#include "app/app_views.h"
#include "app/arrival_notices.h"
#include "app/compose_view.h"
#include "app/dbus_notifier.h"
#include "app/demo_phone.h"
#include "app/live_connection.h"
#include "app/main_window.h"
#include "app/quiet_style.h"
#include "app/single_instance.h"
#include "app/version.h"
#include "modem/mm_modem_directory.h"
#include "phone/posix_serial_device.h"
#include "platform/clock.h"
#include "platform/ui/desktop_sounds.h"
#include "store/store.h"

namespace {

using namespace mivex;

// A second copy waits this long before asking the running one to come
// forward, so a copy started a moment before it has time to listen. The
// first copy does not wait: the lock file tells at once whether another
// runs, and of two starts at the same moment only one can take it.
constexpr unsigned long kStartWaitMs = 200;

enum Exit { kSuccess = 0, kFailed = 1, kUsageError = 2 };

int Fail(Exit status, const QString& message) {
    std::fprintf(stderr, "mivex: %s\n", qPrintable(message));
    return status;
}

struct Arguments {
    std::filesystem::path dataDirectory;  // empty: the XDG default
    bool demo = false;
};

// The program's command line. Only --data-dir and --demo are its own.
struct CommandLine {
    CommandLine() {
        parser.setApplicationDescription(QStringLiteral(
            "Mivex, SMS through a GSM phone or USB modem on a serial line.\n"
            "Messages and settings are kept in the data directory, by default\n"
            "$XDG_DATA_HOME/mivex (~/.local/share/mivex); contacts are read from the\n"
            ".vcf files in its contacts folder."));
        parser.addHelpOption();
        parser.addVersionOption();
        parser.addOption(dataDir);
        parser.addOption(demo);
    }

    QCommandLineParser parser;
    const QCommandLineOption dataDir{QStringLiteral("data-dir"),
                                     QStringLiteral("Keep messages and settings in <dir>."),
                                     QStringLiteral("dir")};
    const QCommandLineOption demo{
        QStringLiteral("demo"),
        QStringLiteral("Try Mivex with a simulated phone holding sample messages, and sample "
                       "contacts, in a data directory removed at the end.")};
};

QStringList ArgumentList(int argc, char** argv) {
    QStringList arguments;
    for (int index = 0; index < argc; ++index)
        arguments << QString::fromLocal8Bit(argv[index]);
    return arguments;
}

// --help and --version print and end the program before anything needs a
// display, so they work over SSH and in scripts like any other program's.
bool AsksForHelpOrVersion(const QStringList& arguments) {
    CommandLine commandLine;
    (void)commandLine.parser.parse(arguments);
    return commandLine.parser.isSet(QStringLiteral("help")) ||
           commandLine.parser.isSet(QStringLiteral("version"));
}

// Read before the application object too, so that a mistyped option is
// told as such even where there is no display.
std::optional<Arguments> ParseArguments(const QStringList& list, QString& error) {
    CommandLine commandLine;
    QCommandLineParser& parser = commandLine.parser;
    const QCommandLineOption& dataDir = commandLine.dataDir;
    const QCommandLineOption& demo = commandLine.demo;
    if (!parser.parse(list)) {
        error = parser.errorText();
        if (error.endsWith(QLatin1Char('.')))
            error.chop(1);
        error += QStringLiteral("; see --help");
        return std::nullopt;
    }

    if (!parser.positionalArguments().isEmpty()) {
        error = QStringLiteral("unexpected argument %1; see --help")
                    .arg(parser.positionalArguments().front());
        return std::nullopt;
    }
    Arguments arguments;
    arguments.demo = parser.isSet(demo);
    if (parser.isSet(dataDir)) {
        if (arguments.demo) {
            error =
                QStringLiteral("--demo makes a data directory of its own; leave out --data-dir");
            return std::nullopt;
        }
        const QString folder = parser.value(dataDir);
        if (folder.isEmpty()) {
            error = QStringLiteral("--data-dir needs a folder");
            return std::nullopt;
        }
        arguments.dataDirectory = folder.toStdString();
    }
    return arguments;
}

// Benchmark hook: with MIVEX_EXIT_AFTER_FIRST_PAINT=1 the compose view quits
// without saving right after its first paint, so a start-up can be timed
// from outside, to the picture on screen and the process's end; with 2, once
// the contact boxes are filled after it.
class EndAfterFirstPaint final : public QObject {
public:
    explicit EndAfterFirstPaint(app::ComposeView& compose) : compose_(compose) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && !painted_) {
            painted_ = true;
            // At once, not posted: what the view itself leaves for after its
            // first paint (the contact boxes) is not part of it.
            compose_.End(0);
        }
        return false;
    }

private:
    app::ComposeView& compose_;
    bool painted_ = false;
};

// Keeps the store open while the window is put together. Every option read
// opens the database and closes it again when nothing else holds it: a
// dozen opens of the same file before the first paint otherwise.
class StoreHeldOpen {
public:
    explicit StoreHeldOpen(store::Store& store) : store_(store), held_(store.MountStore()) {}
    ~StoreHeldOpen() { Release(); }
    StoreHeldOpen(const StoreHeldOpen&) = delete;
    StoreHeldOpen& operator=(const StoreHeldOpen&) = delete;

    // Before the user can act: clearing the store needs it closed.
    void Release() {
        if (std::exchange(held_, false))
            (void)store_.UnmountStore();
    }

private:
    store::Store& store_;
    bool held_;
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication::setApplicationName(QStringLiteral("mivex"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(app::kVersion));
    const QStringList argumentList = ArgumentList(argc, argv);
    if (AsksForHelpOrVersion(argumentList)) {
        QCoreApplication printer(argc, argv);
        CommandLine commandLine;
        commandLine.parser.process(printer);  // prints, and ends the program
        return kSuccess;
    }
    QString error;
    const std::optional<Arguments> arguments = ParseArguments(argumentList, error);
    if (!arguments)
        return Fail(kUsageError, error);

    QApplication application(argc, argv);
    app::InstallQuietStyle();
    QApplication::setDesktopFileName(QStringLiteral("org.mivex.Mivex"));
    // The program ends when the compose view ends, not when a window closes.
    QApplication::setQuitOnLastWindowClosed(false);

    std::optional<app::DemoPhone> demo;
    std::filesystem::path dataDirectory = arguments->dataDirectory;
    if (arguments->demo) {
        demo.emplace();
        std::string demoError;
        if (!demo->Start(demoError))
            return Fail(kFailed, QStringLiteral("the demo could not start: %1")
                                     .arg(QString::fromStdString(demoError)));
        dataDirectory = demo->DataDirectory();
    }

    platform::SystemClock clock;
    platform::DesktopSounds sounds;
    phone::PosixSerialOpener serialOpener;
    // The modems ModemManager owns; its module is loaded when first asked.
    modem::MmModemDirectory modems;
    app::AppContext context(dataDirectory, {clock, sounds, serialOpener, modems});

    app::SingleInstance instance(context.DataDirectory());
    if (!instance.Claim()) {
        QThread::msleep(kStartWaitMs);
        if (!instance.AskRunningCopyToRaise())
            return Fail(kFailed, QStringLiteral("Mivex runs already but does not answer"));
        return kSuccess;
    }
    StoreHeldOpen storeHeldOpen(context.Store());
    if (demo) {
        (void)context.Options().WriteOption(options::Option::Port, demo->PortSetting());
        (void)context.Options().WriteOption(options::Option::UsePhoneServiceCentre, 1);
    }

    app::MainWindow window;
    app::AppViews views(window, context);
    context.SetViews(&views);
    context.Prompter().SetOwner(&window);
    QObject::connect(&instance, &app::SingleInstance::raiseRequested, &window,
                     &app::MainWindow::RaiseTopWindow);

    // New messages come in by themselves while the window is open.
    app::DbusNotifier notifier([] { return QDBusConnection::sessionBus(); },
                               QStringLiteral("Mivex"), QApplication::desktopFileName());
    app::ArrivalNotices arrivals(window, context, &notifier);
    app::LiveConnection live(window, context, arrivals);
    context.SetLive(&live);
    // A cleared store is a new file: the connection lets go of the old one.
    context.Store().SetClearHooks([&live] { live.Stop(); }, [&live] { live.FollowOptions(); });

    app::ComposeView compose(window, context, app::ContactsFill::AfterFirstPaint);
    EndAfterFirstPaint endAfterFirstPaint(compose);
    const int exitAfter = qEnvironmentVariableIntValue("MIVEX_EXIT_AFTER_FIRST_PAINT");
    if (exitAfter == 1)
        compose.installEventFilter(&endAfterFirstPaint);
    else if (exitAfter == 2)
        QObject::connect(
            &compose, &app::ComposeView::contactsFilled, &compose, [&compose] { compose.End(0); },
            Qt::QueuedConnection);
    window.show();
    live.FollowOptions();
    storeHeldOpen.Release();
    compose.Run();
    // The port is closed and the last message stored before the program ends.
    live.Stop();
    context.Store().SetClearHooks({}, {});
    context.SetLive(nullptr);
    return kSuccess;
}
