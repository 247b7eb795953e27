#pragma once

// mivex-cli as a script runs it: on a data directory of its own and, once a
// test starts one, against a simulated phone on a pseudo-terminal in this
// process.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "phonesim/simulated_phone.h"
#include "run_tool.h"
#include "temp_dir.h"

namespace mivex::tools {

using Arguments = std::vector<std::string>;

inline bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class CliFixture : public ::testing::Test {
protected:
    // The whole command line after the program: the data directory, the
    // phone's port while one runs, then `arguments`.
    [[nodiscard]] Arguments CliArguments(const Arguments& arguments) const;
    [[nodiscard]] ToolRun Run(const Arguments& arguments) const {
        return RunTool(MIVEX_CLI_PATH, CliArguments(arguments));
    }
    void SetOption(const std::string& name, const std::string& value) const;
    // The text field of every line `list FOLDER` prints; a failed listing
    // fails the test.
    [[nodiscard]] std::vector<std::string> Listed(const std::string& folder) const;

    void StartPhone(phonesim::PhoneSetup setup);
    // "destination text" of every message the phone was given, as the
    // recipient's phone would show it.
    [[nodiscard]] std::vector<std::string> Submitted() const;

    testing::TempDir temp;
    std::filesystem::path data = temp.path() / "data";
    std::unique_ptr<phonesim::SimulatedPhone> phone;
};

}  // namespace mivex::tools
