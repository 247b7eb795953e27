#include "stop_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <array>
#include <cerrno>

namespace mivex::tools {
namespace {

constexpr std::array kStopSignals = {SIGTERM, SIGINT, SIGHUP};

// Written by the handler, which may only do async-signal-safe work.
volatile sig_atomic_t g_writeEnd = -1;

extern "C" void HandleStop(int) {
    const int saved = errno;
    const char wake = 1;
    // A full pipe already holds a request.
    [[maybe_unused]] const ssize_t ignored = write(g_writeEnd, &wake, 1);
    errno = saved;
}

}  // namespace

StopSignals::StopSignals() {
    std::array<int, 2> ends{-1, -1};
    if (pipe2(ends.data(), O_CLOEXEC | O_NONBLOCK) != 0) {
        return;
    }
    read_ = ends[0];
    g_writeEnd = ends[1];
    struct sigaction action {};
    action.sa_handler = HandleStop;
    sigemptyset(&action.sa_mask);
    // Restarted calls: a read or a write to the phone is never cut short.
    action.sa_flags = SA_RESTART;
    for (const int stop : kStopSignals) {
        sigaction(stop, &action, nullptr);
    }
}

StopSignals::~StopSignals() {
    for (const int stop : kStopSignals) {
        signal(stop, SIG_DFL);
    }
    if (read_ >= 0) {
        close(g_writeEnd);
        close(read_);
        g_writeEnd = -1;
    }
}

}  // namespace mivex::tools
