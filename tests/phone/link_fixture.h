#pragma once

// Pieces shared by the phone link's tests: options held in maps, a scratch
// directory, trace files read back record by record, and a phone link on a
// scripted line in virtual time.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
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

[[nodiscard]] std::string ReadFile(const std::filesystem::path& file);

// A trace record: 'T' or 'R' and its data.
using TraceRecord = std::pair<char, std::string>;

// The Transmit and Receive records of a trace file, stamps left out.
[[nodiscard]] std::vector<TraceRecord> TraceRecords(const std::filesystem::path& file);

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

}  // namespace mivex::phone::test
