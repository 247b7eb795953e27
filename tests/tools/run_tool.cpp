#include "run_tool.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace mivex::tools {

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

RunningTool::RunningTool(const std::string& program, const std::vector<std::string>& arguments) {
    // A fresh empty file for the child to write, open for writing; -1 on failure.
    const auto capture = [](std::string& path) {
        path = (std::filesystem::temp_directory_path() / "mivex-tool-test-XXXXXX").string();
        return mkstemp(path.data());
    };
    const int out = capture(outPath_);
    const int err = capture(errPath_);
    // posix_spawn() takes `char* const[]` but leaves the words alone.
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
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
    Signal(SIGKILL);
    (void)Wait();
    unlink(outPath_.c_str());
    unlink(errPath_.c_str());
}

void RunningTool::Signal(int number) const {
    const std::lock_guard lock(mutex_);
    if (pid_ > 0 && !exitStatus_)
        kill(pid_, number);
}

int RunningTool::Wait() {
    // Waits without reaping, and so without the lock, which a Signal() from
    // another thread needs meanwhile.
    siginfo_t info{};
    if (pid_ > 0 && !exitStatus_)
        waitid(P_PID, pid_, &info, WEXITED | WNOWAIT);
    const std::lock_guard lock(mutex_);
    int status = 0;
    if (!exitStatus_ && pid_ > 0)
        exitStatus_ =
            waitpid(pid_, &status, 0) == pid_ && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return exitStatus_.value_or(-1);
}

ToolRun RunTool(const std::string& program, const std::vector<std::string>& arguments) {
    RunningTool tool(program, arguments);
    const int exitStatus = tool.Wait();
    return {exitStatus, tool.Out(), tool.Err()};
}

}  // namespace mivex::tools
