#pragma once

// Runs a built program as a script would: no shell in between, its output and
// error output in temporary files (files rather than pipes, so a chatty
// program can never block on a full pipe).

#include <sys/types.h>

#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace mivex::tools {

struct ToolRun {
    int exitStatus = -1;  // -1 when the program could not be started or did not exit
    std::string out;
    std::string err;

    friend bool operator==(const ToolRun&, const ToolRun&) = default;
    friend void PrintTo(const ToolRun& run, std::ostream* os) {
        *os << '{' << run.exitStatus << ", \"" << run.out << "\", \"" << run.err << "\"}";
    }
};

// The whole of a file as bytes; empty when it cannot be read.
[[nodiscard]] std::string ReadFile(const std::string& path);

// A program left running while the test talks to it; killed if still running
// when the object goes.
class RunningTool {
public:
    RunningTool(const std::string& program, const std::vector<std::string>& arguments);
    ~RunningTool();
    RunningTool(const RunningTool&) = delete;
    RunningTool& operator=(const RunningTool&) = delete;

    // Safe from another thread while this one waits.
    void Signal(int number) const;
    // The exit status once the program has ended; -1 as in ToolRun.
    int Wait();
    [[nodiscard]] std::string Out() const { return ReadFile(outPath_); }
    [[nodiscard]] std::string Err() const { return ReadFile(errPath_); }

private:
    std::string outPath_, errPath_;
    pid_t pid_ = -1;
    // Once the child is reaped its pid may be another process's: Signal() must know.
    mutable std::mutex mutex_;
    std::optional<int> exitStatus_;
};

// Runs `program` to its end and collects what it wrote.
[[nodiscard]] ToolRun RunTool(const std::string& program,
                              const std::vector<std::string>& arguments);

}  // namespace mivex::tools
