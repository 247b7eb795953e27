#pragma once

// A phone link on a scripted line in virtual time, with the trace going to a
// fresh temporary directory.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "fake_clock.h"
#include "fake_controls.h"
#include "phone/serial_line.h"
#include "phone/trace.h"
#include "scripted_line.h"

namespace mivex::phone::test {

// A directory that exists for the life of the object.
class TemporaryDirectory {
public:
    TemporaryDirectory();
    ~TemporaryDirectory();
    TemporaryDirectory(const TemporaryDirectory&) = delete;
    TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

    [[nodiscard]] const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

[[nodiscard]] std::string ReadFile(const std::filesystem::path& file);

// A trace record: 'T' or 'R' and its data.
using TraceRecord = std::pair<char, std::string>;

// The Transmit and Receive records of trace text, stamps left out.
[[nodiscard]] std::vector<TraceRecord> TraceRecords(const std::string& traceText);

class LinkTest : public ::testing::Test {
protected:
    PortHandle OpenScriptedPort() { return OpenPort(link, u"COM1:"); }
    // Trace mode on with a fresh file.
    void StartTrace() {
        link.trace = &trace;
        ASSERT_TRUE(trace.TraceWrite(TraceKind::Open));
    }
    [[nodiscard]] std::vector<TraceRecord> Records() {
        return TraceRecords(ReadFile(trace.FilePath()));
    }

    testing::FakeClock clock;
    ScriptedLine line{clock};
    ScriptedOpener opener{line};
    testing::CountingSounds sounds;
    TemporaryDirectory directory;
    Trace trace{clock, directory.path()};
    LinkContext link{clock, opener, sounds, nullptr};
};

}  // namespace mivex::phone::test
