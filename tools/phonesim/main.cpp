// mivex-phonesim: a simulated GSM phone on a pseudo-terminal, for trying AT
// clients without a phone. See --help.

#include <signal.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <iostream>
#include <optional>
#include <string>

#include "command_line.h"
#include "exit_status.h"
#include "phone_files.h"
#include "phonesim/device_link.h"
#include "phonesim/pty_runner.h"

namespace {

using mivex::tools::kMessagePrefix;
using mivex::tools::PhonesimExit;

// The handler may only do async-signal-safe work; RequestStop writes to a pipe.
const mivex::phonesim::PtyRunner* g_runner = nullptr;

extern "C" void HandleStopSignal(int) {
    if (g_runner != nullptr) {
        g_runner->RequestStop();
    }
}

// The cable pulled and put back.
extern "C" void HandlePlugSignal(int signal) {
    if (g_runner == nullptr) {
        return;
    }
    if (signal == SIGUSR1) {
        g_runner->RequestUnplug();
    } else {
        g_runner->RequestReplug();
    }
}

void InstallSignalHandlers() {
    struct sigaction action {};
    action.sa_handler = HandleStopSignal;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        sigaction(signal, &action, nullptr);
    }
    action.sa_handler = HandlePlugSignal;
    for (const int signal : {SIGUSR1, SIGUSR2}) {
        sigaction(signal, &action, nullptr);
    }
}

[[nodiscard]] std::string OneLine(std::string message) {
    std::replace(message.begin(), message.end(), '\n', ' ');
    return message;
}

int Fail(PhonesimExit status, const std::string& message) {
    std::cerr << kMessagePrefix << message << std::endl;
    return static_cast<int>(status);
}

int Run(const mivex::tools::PhonesimArguments& arguments) {
    using namespace mivex::phonesim;
    std::string error;
    std::optional<PhoneSetup> setup = mivex::tools::BuildSetup(arguments, error);
    if (!setup) {
        return Fail(PhonesimExit::UsageError, error);
    }
    mivex::tools::PhoneFiles files(arguments.sentLog, arguments.dump);
    if (!files.Open(setup->stores, error)) {
        return Fail(PhonesimExit::UsageError, error);
    }
    IncomingLines incoming;
    if (!arguments.incoming.empty() && !incoming.Open(arguments.incoming, error)) {
        return Fail(PhonesimExit::UsageError, error);
    }
    std::optional<PseudoTerminal> terminal = PseudoTerminal::Open(error);
    if (!terminal) {
        return Fail(PhonesimExit::NoTerminal, error);
    }
    const std::string device = terminal->SlavePath();
    if (!arguments.link.empty() && !CreateDeviceLink(arguments.link, device, error)) {
        return Fail(PhonesimExit::UsageError, error);
    }
    PtyRunner runner(std::move(*terminal),
                     Interpreter(std::move(setup->stores), setup->settings, setup->faults),
                     setup->baudRate, &files);
    runner.WatchIncoming(std::move(incoming));
    // The device the link names, kept up to date across unplugs.
    std::string linked = device;
    runner.OnPlugChange([&](const std::string& now) {
        if (!arguments.link.empty()) {
            RemoveDeviceLink(arguments.link, linked);
            std::string linkError;
            if (!now.empty() && !CreateDeviceLink(arguments.link, now, linkError)) {
                std::cerr << kMessagePrefix << linkError << std::endl;
            }
        }
        linked = now;
        if (!now.empty()) {
            std::cout << now << std::endl;
        }
    });
    g_runner = &runner;
    InstallSignalHandlers();
    std::cout << device << std::endl;

    const RunResult result = runner.Run();
    g_runner = nullptr;
    if (!arguments.link.empty()) {
        RemoveDeviceLink(arguments.link, linked);
    }
    switch (result.reason) {
        case StopReason::Stopped:
            return static_cast<int>(PhonesimExit::Success);
        case StopReason::LineCut:
            std::cerr << kMessagePrefix << "the line was cut as asked; stopping" << std::endl;
            return static_cast<int>(PhonesimExit::Success);
        case StopReason::Failed:
            break;
    }
    return Fail(PhonesimExit::NoTerminal, result.error);
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app;
    mivex::tools::PhonesimArguments arguments;
    mivex::tools::DefineCommandLine(app, arguments);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        std::cout << app.help();
        return static_cast<int>(PhonesimExit::Success);
    } catch (const CLI::ParseError& parseError) {
        return Fail(PhonesimExit::UsageError, OneLine(parseError.what()));
    }
    return Run(arguments);
}
