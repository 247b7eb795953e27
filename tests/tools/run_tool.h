#pragma once

// Runs a built program as a script would: no shell in between, its output and
// error output in temporary files (files rather than pipes, so a chatty
// program can never block on a full pipe).

#include <sys/types.h>

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
        *os << "exit status " << run.exitStatus << ", out \"" << run.out << "\", err \"" << run.err
            << '"';
    }
};

// A program left running while the test talks to it; killed if still running
// when the object goes.
class RunningTool {
public:
    RunningTool(const std::string& program, const std::vector<std::string>& arguments);
    ~RunningTool();
    RunningTool(const RunningTool&) = delete;
    RunningTool& operator=(const RunningTool&) = delete;

    // The first line of output without its line feed; what there is when the
    // program ended first or a safety limit passed.
    [[nodiscard]] std::string FirstLine();
    void Signal(int number) const;
    // The exit status once the program has ended; -1 as in ToolRun.
    int Wait();
    [[nodiscard]] std::string Out() const;
    [[nodiscard]] std::string Err() const;

private:
    // Reaps the child if it has ended, without waiting; true once it has.
    bool Ended();

    std::string outPath_;
    std::string errPath_;
    pid_t pid_ = -1;
    std::optional<int> exitStatus_;
};

// Runs `program` to its end and collects what it wrote.
[[nodiscard]] ToolRun RunTool(const std::string& program,
                              const std::vector<std::string>& arguments);

// The whole of a file as bytes; empty when it cannot be read.
[[nodiscard]] std::string ReadFile(const std::string& path);

}  // namespace mivex::tools
