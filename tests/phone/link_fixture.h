#pragma once

// Pieces shared by the phone link's tests: options held in maps, a scratch
// directory, trace files read back record by record, and a phone link on a
// scripted line in virtual time.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "fake_clock.h"
#include "fake_controls.h"
#include "fake_options.h"
#include "options/option_ids.h"
#include "phone/serial_line.h"
#include "phone/trace.h"
#include "scripted_line.h"
#include "temp_dir.h"

namespace mivex::phone::test {

using mivex::testing::FakeOptions;

using TemporaryDirectory = mivex::testing::TempDir;

[[nodiscard]] inline std::string ReadFile(const std::filesystem::path& file) {
    std::ifstream stream(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

// A trace record: 'T' or 'R' and its data.
using TraceRecord = std::pair<char, std::string>;

// The Transmit and Receive records of a trace file, stamps left out.
[[nodiscard]] inline std::vector<TraceRecord> TraceRecords(const std::filesystem::path& file) {
    // A T or R record starts "\r\nSS.HH T\r\n"; the start and end lines
    // ("SS.HH -- ...") hold no line data.
    static const std::regex header(
        "\r\n[0-9]{2}\\.[0-9]{2} ([TR])\r\n|\r\n[0-9]{2}\\.[0-9]{2} -- ");
    const std::string text = ReadFile(file);
    std::vector<TraceRecord> records;
    std::size_t dataStart = 0;
    char kind = 0;
    for (auto match = std::sregex_iterator(text.begin(), text.end(), header);
         match != std::sregex_iterator(); ++match) {
        if (kind != 0)
            records.emplace_back(kind, text.substr(dataStart, match->position() - dataStart));
        kind = (*match)[1].matched ? (*match)[1].str()[0] : 0;
        dataStart = static_cast<std::size_t>(match->position() + match->length());
    }
    if (kind != 0)
        records.emplace_back(kind, text.substr(dataStart));
    return records;
}

class LinkTest : public ::testing::Test {
protected:
    PortHandle OpenScriptedPort() { return OpenPort(link, u"COM1:"); }
    // Trace mode on with a fresh file.
    void StartTrace() {
        link.trace = &trace;
        ASSERT_TRUE(trace.TraceWrite(TraceKind::Open));
    }
    [[nodiscard]] std::vector<TraceRecord> Records() { return TraceRecords(trace.FilePath()); }

    testing::FakeClock clock;
    ScriptedLine line{clock};
    ScriptedOpener opener{line};
    testing::CountingSounds sounds;
    TemporaryDirectory directory;
    Trace trace{clock, directory.path()};
    LinkContext link{clock, opener, sounds, nullptr};
};

// Trace mode on and a port open on the scripted line.
class OpenPortTest : public LinkTest {
protected:
    void SetUp() override {
        StartTrace();
        port = OpenScriptedPort();
    }

    PortHandle port;
};

}  // namespace mivex::phone::test
