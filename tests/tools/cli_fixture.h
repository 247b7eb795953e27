#pragma once

// mivex-cli as a script runs it: on a data directory of its own and, once a
// test starts one, against a simulated phone on a pseudo-terminal in this
// process.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "phonesim/deliver_builder.h"
#include "phonesim/simulated_phone.h"
#include "phonesim/submit_parser.h"
#include "run_tool.h"
#include "sms/deliver_decoder.h"
#include "temp_dir.h"
#include "text/utf8.h"

namespace mivex::tools {

using Arguments = std::vector<std::string>;

inline bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class CliFixture : public ::testing::Test {
protected:
    // The whole command line after the program: the data directory, the
    // phone's port while one runs, then `arguments`.
    [[nodiscard]] Arguments CliArguments(const Arguments& arguments) const {
        Arguments line{"--data-dir", data.string()};
        if (phone)
            line.insert(line.end(), {"--port", phone->DevicePath()});
        line.insert(line.end(), arguments.begin(), arguments.end());
        return line;
    }
    [[nodiscard]] ToolRun Run(const Arguments& arguments) const {
        return RunTool(MIVEX_CLI_PATH, CliArguments(arguments));
    }
    void SetOption(const std::string& name, const std::string& value) const {
        const ToolRun set = Run({"options", "set", name, value});
        EXPECT_EQ(set.exitStatus, 0) << name << ": " << set.err;
    }
    // The text field of each line `list FOLDER` prints; a failed listing fails the test.
    [[nodiscard]] std::vector<std::string> Listed(const std::string& folder) const {
        const ToolRun list = Run({"list", folder});
        EXPECT_EQ(list.exitStatus, 0) << list.err;
        std::vector<std::string> texts;
        std::istringstream lines(list.out);
        // The fourth field: Sent lines have the delivery column after it.
        for (std::string line; std::getline(lines, line);) {
            std::size_t start = 0;
            for (int field = 0; field < 3; ++field)
                start = line.find('\t', start) + 1;
            texts.push_back(line.substr(start, line.find('\t', start) - start));
        }
        return texts;
    }

    void StartPhone(phonesim::PhoneSetup setup) {
        phone = std::make_unique<phonesim::SimulatedPhone>(std::move(setup));
        std::string error;
        ASSERT_TRUE(phone->Start(error)) << error;
    }
    // "destination text" of each message the phone was given, as a recipient would see it.
    [[nodiscard]] std::vector<std::string> Submitted() const {
        std::vector<std::string> messages;
        for (const phonesim::SubmittedPdu& submitted : phone->Submitted()) {
            const phonesim::SubmitParseResult parsed = phonesim::ParseSubmitPdu(submitted.pdu);
            EXPECT_TRUE(parsed.parsed());
            const sms::DeliverDecodeResult delivered =
                sms::DecodeDeliver(phonesim::BuildLoopbackDeliver(parsed.submit, "+1", "+1",
                                                                  {{2024, 3, 9, 12, 0, 0, 0}, 60}));
            messages.push_back(parsed.submit.destination + " " +
                               text::Utf16ToUtf8(delivered.message.Text));
        }
        return messages;
    }

    testing::TempDir temp;
    std::filesystem::path data = temp.path() / "data";
    std::unique_ptr<phonesim::SimulatedPhone> phone;
};

}  // namespace mivex::tools
