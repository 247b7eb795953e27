#include "pin_entry.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <iostream>

#include "exit_status.h"
#include "phone/sim_answers.h"

namespace mivex::tools {

namespace {

// A PIN file holds a few digits and a line end; anything longer is not one.
constexpr std::size_t kMaxPinFileBytes = 64;

void Wipe(std::string& secret) {
    for (char& c : secret)
        *static_cast<volatile char*>(&c) = '\0';
    secret.clear();
}

std::string FirstLineTrimmed(std::string_view bytes) {
    bytes = bytes.substr(0, bytes.find('\n'));
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!bytes.empty() && blank(bytes.front()))
        bytes.remove_prefix(1);
    while (!bytes.empty() && blank(bytes.back()))
        bytes.remove_suffix(1);
    return std::string(bytes);
}

// Why the descriptor is no place to take a PIN from; empty when it is one.
std::string RefusalOf(int fd) {
    struct stat info {};
    if (fstat(fd, &info) != 0)
        return std::strerror(errno);
    if (!S_ISREG(info.st_mode))
        return "is not a regular file";
    if (info.st_uid != geteuid())
        return "belongs to another user";
    if ((info.st_mode & (S_IRWXG | S_IRWXO)) != 0)
        return "may be read or changed by others; chmod 600 it";
    return {};
}

// The terminal's settings while its echo is off, for the signal handler.
termios g_savedTerminal{};

// Ctrl-C at the prompt must not leave the user's terminal without echo.
extern "C" void RestoreEchoAndDie(int signal) {
    (void)tcsetattr(STDIN_FILENO, TCSAFLUSH, &g_savedTerminal);
    (void)::signal(signal, SIG_DFL);
    (void)raise(signal);
}

// The line typed on the terminal with its echo off; echo comes back after.
std::optional<std::string> ReadHidden(std::istream& in) {
    const bool terminal = tcgetattr(STDIN_FILENO, &g_savedTerminal) == 0;
    struct sigaction restore {};
    struct sigaction oldInterrupt {};
    struct sigaction oldTerminate {};
    if (terminal) {
        restore.sa_handler = RestoreEchoAndDie;
        (void)sigaction(SIGINT, &restore, &oldInterrupt);
        (void)sigaction(SIGTERM, &restore, &oldTerminate);
        termios quiet = g_savedTerminal;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        quiet.c_lflag |= ECHONL;
        (void)tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    std::string line;
    const bool read = static_cast<bool>(std::getline(in, line));
    if (terminal) {
        (void)tcsetattr(STDIN_FILENO, TCSAFLUSH, &g_savedTerminal);
        (void)sigaction(SIGINT, &oldInterrupt, nullptr);
        (void)sigaction(SIGTERM, &oldTerminate, nullptr);
    }
    if (!read)
        return std::nullopt;
    std::string pin = FirstLineTrimmed(line);
    Wipe(line);
    return pin;
}

}  // namespace

std::optional<std::string> ReadPinFile(const std::filesystem::path& file, std::string& error) {
    const std::string prefix = "--pin-file " + file.string() + ": ";
    // O_NOFOLLOW refuses a link; O_NONBLOCK keeps a FIFO from holding the
    // open until someone writes to it, and fstat then turns it away.
    const int fd = ::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        error = prefix + (errno == ELOOP ? std::string("is a symbolic link; give the file itself")
                                         : std::string(std::strerror(errno)));
        return std::nullopt;
    }
    if (const std::string refusal = RefusalOf(fd); !refusal.empty()) {
        ::close(fd);
        error = prefix + refusal;
        return std::nullopt;
    }
    std::array<char, kMaxPinFileBytes> buffer{};
    const ssize_t count = ::read(fd, buffer.data(), buffer.size());
    ::close(fd);
    std::string pin =
        count > 0 ? FirstLineTrimmed({buffer.data(), static_cast<std::size_t>(count)}) : "";
    std::fill(buffer.begin(), buffer.end(), '\0');
    if (count < 0) {
        error = prefix + std::strerror(errno);
        return std::nullopt;
    }
    if (!phone::IsPinText(pin)) {
        Wipe(pin);
        error = prefix + "does not hold a PIN of 4 to 8 digits";
        return std::nullopt;
    }
    return pin;
}

ConsolePinPrompter::~ConsolePinPrompter() {
    if (pinFromFile_)
        Wipe(*pinFromFile_);
}

std::optional<platform::PinEntry> ConsolePinPrompter::AskPin(
    const platform::PinQuestion& question) {
    if (pinFromFile_)
        return platform::PinEntry{*pinFromFile_, false};
    if (isatty(STDIN_FILENO) == 0) {
        err_ << kMessagePrefix
             << "the SIM card asks for its PIN: give it with --pin-file FILE, or run on a "
                "terminal to type it\n";
        return std::nullopt;
    }
    err_ << "PIN for the SIM card";
    if (question.triesLeft)
        err_ << " (" << *question.triesLeft << (*question.triesLeft == 1 ? " try" : " tries")
             << " left" << (*question.triesLeft == 1 ? ", the last one" : "") << ")";
    err_ << ": " << std::flush;
    std::optional<std::string> typed = ReadHidden(std::cin);
    if (!typed || typed->empty())
        return std::nullopt;
    return platform::PinEntry{std::move(*typed), false};
}

}  // namespace mivex::tools
