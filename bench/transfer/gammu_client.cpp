#include "gammu_client.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string_view>
#include <vector>

extern char** environ;

namespace mivex::bench {
namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr std::string_view kLocationLead = "Location ";

// The environment with HOME moved to `home`, so no configuration or state of
// the user's own gammu takes part, and messages printed in UTF-8.
std::vector<std::string> GammuEnvironment(const std::filesystem::path& home) {
    std::vector<std::string> entries;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string_view text(*entry);
        if (!text.starts_with("HOME=") && !text.starts_with("LC_ALL=")) {
            entries.emplace_back(text);
        }
    }
    entries.push_back("HOME=" + home.string());
    entries.push_back("LC_ALL=C.UTF-8");
    return entries;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) {
        pointers.push_back(text.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

int CountLocations(std::string_view output) {
    int count = 0;
    std::size_t lineStart = 0;
    while (lineStart < output.size()) {
        const std::size_t lineEnd = output.find('\n', lineStart);
        if (output.substr(lineStart).starts_with(kLocationLead)) {
            ++count;
        }
        if (lineEnd == std::string_view::npos) {
            break;
        }
        lineStart = lineEnd + 1;
    }
    return count;
}

std::string LastLine(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::string line;
    std::string last;
    while (std::getline(in, line)) {
        if (!line.empty()) {
            last = line;
        }
    }
    return last;
}

}  // namespace

bool GammuInstalled() {
    const char* path = std::getenv("PATH");
    std::stringstream directories(path != nullptr ? path : "");
    std::string directory;
    while (std::getline(directories, directory, ':')) {
        if (!directory.empty() && access((directory + "/gammu").c_str(), X_OK) == 0) {
            return true;
        }
    }
    return false;
}

GammuRun RunGammuGetAllSms(const std::string& devicePath,
                           const std::filesystem::path& workDirectory, int limitSeconds) {
    GammuRun run;
    const std::filesystem::path config = workDirectory / "gammurc";
    const std::filesystem::path errors = workDirectory / "gammu-errors.txt";
    {
        std::ofstream out(config);
        out << "[gammu]\ndevice = " << devicePath << "\nconnection = at115200\n";
        if (!out) {
            run.error = "the gammu configuration could not be written";
            return run;
        }
    }

    std::array<int, 2> pipeEnds{-1, -1};
    if (pipe2(pipeEnds.data(), O_CLOEXEC) != 0) {
        run.error = std::string("pipe: ") + std::strerror(errno);
        return run;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errors.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);

    std::vector<std::string> arguments = {"gammu", "--config", config.string(), "getallsms"};
    std::vector<std::string> environment = GammuEnvironment(workDirectory);
    std::vector<char*> argumentPointers = Pointers(arguments);
    std::vector<char*> environmentPointers = Pointers(environment);

    const auto start = SteadyClock::now();
    pid_t child = -1;
    const int spawned = posix_spawnp(&child, "gammu", &actions, nullptr, argumentPointers.data(),
                                     environmentPointers.data());
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (spawned != 0) {
        close(pipeEnds[0]);
        run.error = std::string("gammu did not start: ") + std::strerror(spawned);
        return run;
    }

    const auto deadline = start + std::chrono::seconds(limitSeconds);
    std::string output;
    std::array<char, 4096> chunk{};
    bool timedOut = false;
    while (true) {
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(deadline - SteadyClock::now()).count();
        if (left <= 0) {
            timedOut = true;
            break;
        }
        pollfd ready{pipeEnds[0], POLLIN, 0};
        if (poll(&ready, 1, static_cast<int>(left)) < 0 && errno != EINTR) {
            break;
        }
        if (ready.revents == 0) {
            continue;
        }
        const ssize_t count = read(pipeEnds[0], chunk.data(), chunk.size());
        if (count <= 0) {
            break;  // gammu closed its output: it is ending
        }
        output.append(chunk.data(), static_cast<std::size_t>(count));
    }
    close(pipeEnds[0]);
    if (timedOut) {
        kill(child, SIGKILL);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    run.seconds = std::chrono::duration<double>(SteadyClock::now() - start).count();
    run.locations = CountLocations(output);

    if (timedOut) {
        run.error = "gammu took longer than " + std::to_string(limitSeconds) + " s";
    } else if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        run.error = "gammu failed: " + LastLine(errors);
    } else {
        run.ok = true;
    }
    return run;
}

}  // namespace mivex::bench
