#include "run_tool.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace mivex::tools {

namespace {

// Long enough for any start-up; it only keeps a broken program from hanging a test.
constexpr auto kSafetyLimit = std::chrono::seconds(20);

// A fresh empty file for the child to write, open for writing; -1 on failure.
int MakeCaptureFile(std::string& path) {
    path = (std::filesystem::temp_directory_path() / "mivex-tool-test-XXXXXX").string();
    return mkstemp(path.data());
}

int ExitStatus(int status) {
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream contents;
    contents << file.rdbuf();
    return contents.str();
}

RunningTool::RunningTool(const std::string& program, const std::vector<std::string>& arguments) {
    const int out = MakeCaptureFile(outPath_);
    const int err = MakeCaptureFile(errPath_);
    std::vector<std::string> words{program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err, STDERR_FILENO);
    if (out < 0 || err < 0 ||
        posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ) != 0)
        pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    // A capture file that could not be made is -1 here, which close() refuses harmlessly.
    close(out);
    close(err);
}

RunningTool::~RunningTool() {
    if (pid_ > 0 && !exitStatus_) {
        kill(pid_, SIGKILL);
        (void)Wait();
    }
    unlink(outPath_.c_str());
    unlink(errPath_.c_str());
}

bool RunningTool::Ended() {
    int status = 0;
    if (!exitStatus_ && pid_ > 0 && waitpid(pid_, &status, WNOHANG) == pid_)
        exitStatus_ = ExitStatus(status);
    return exitStatus_.has_value() || pid_ <= 0;
}

std::string RunningTool::FirstLine() {
    const auto limit = std::chrono::steady_clock::now() + kSafetyLimit;
    while (Out().find('\n') == std::string::npos && !Ended() &&
           std::chrono::steady_clock::now() < limit)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const std::string out = Out();
    return out.substr(0, out.find('\n'));
}

void RunningTool::Signal(int number) const {
    if (pid_ > 0 && !exitStatus_)
        kill(pid_, number);
}

int RunningTool::Wait() {
    int status = 0;
    if (!exitStatus_ && pid_ > 0)
        exitStatus_ = waitpid(pid_, &status, 0) == pid_ ? ExitStatus(status) : -1;
    return exitStatus_.value_or(-1);
}

std::string RunningTool::Out() const {
    return ReadFile(outPath_);
}

std::string RunningTool::Err() const {
    return ReadFile(errPath_);
}

ToolRun RunTool(const std::string& program, const std::vector<std::string>& arguments) {
    RunningTool tool(program, arguments);
    const int exitStatus = tool.Wait();
    return {exitStatus, tool.Out(), tool.Err()};
}

}  // namespace mivex::tools
