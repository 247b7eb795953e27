#include "phone/trace.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <functional>

#include "link_fixture.h"

namespace mivex::phone::test {
namespace {

namespace fs = std::filesystem;

TEST(TraceStamp, ShowsSecondsAndHundredthsWrappingEveryHundredSeconds) {
    const std::pair<std::uint64_t, std::string_view> vectors[] = {
        {0, "00.00"},      {9, "00.00"},       {7450, "07.45"},        {99999, "99.99"},
        {100000, "00.00"}, {1234567, "34.56"}, {4294967295u, "67.29"},
    };
    for (const auto& [tickMs, stamp] : vectors) {
        SCOPED_TRACE(tickMs);
        EXPECT_EQ(TraceStamp(tickMs), stamp);
    }
}

unsigned Mode(const fs::path& file) {
    struct stat status {};
    EXPECT_EQ(::stat(file.c_str(), &status), 0);
    return status.st_mode & 0777;
}

class TraceFile : public ::testing::Test {
protected:
    [[nodiscard]] std::string Contents() const { return ReadFile(trace.FilePath()); }

    testing::FakeClock clock;
    TemporaryDirectory directory;
    Trace trace{clock, directory.path()};
};

TEST_F(TraceFile, WritesEveryRecordByteForByteInAFreshOwnerOnlyFile) {
    std::ofstream(trace.FilePath()) << "old contents that must go";
    ASSERT_EQ(::chmod(trace.FilePath().c_str(), 0644), 0);
    clock.Advance(7450);  // 1'007'450 ms: stamp 07.45
    ASSERT_TRUE(trace.TraceWrite(TraceKind::Open));
    EXPECT_EQ(trace.FilePath().filename(), "MXdebug.txt");
    clock.Advance(20);
    EXPECT_TRUE(trace.TraceWrite(TraceKind::Transmit, "AT+CMGF=0\r"));
    clock.Advance(1000);
    EXPECT_TRUE(trace.TraceWrite(TraceKind::Receive, std::string_view("\r\n\0OK\r\n", 7)));
    EXPECT_TRUE(trace.TraceWrite(TraceKind::Receive, ""));
    EXPECT_TRUE(trace.TraceWrite(TraceKind::Close));
    EXPECT_FALSE(trace.IsOpen());
    // The received data holds a NUL byte, which the trace keeps.
    static constexpr char kExpected[] =
        "07.45 -- Debug Output Start"
        "\r\n07.47 T\r\nAT+CMGF=0\r"
        "\r\n08.47 R\r\n\r\n\0OK\r\n"
        "\r\n08.47 R\r\n"
        "\r\n08.47 -- Debug Output End";
    EXPECT_EQ(Contents(), std::string(kExpected, sizeof kExpected - 1));
    EXPECT_EQ(Mode(trace.FilePath()), 0600u);
    // Opening again, even while open, starts afresh.
    ASSERT_TRUE(trace.TraceWrite(TraceKind::Open));
    ASSERT_TRUE(trace.TraceWrite(TraceKind::Transmit, "first"));
    ASSERT_TRUE(trace.TraceWrite(TraceKind::Open));
    EXPECT_EQ(Contents(), "08.47 -- Debug Output Start");
}

// A trace that cannot have a plain file of its own swallows the records and
// leaves what stands under its name as it is. Every call returns at once: a
// FIFO with no reader must not hang the run (the test's TIMEOUT is the
// safety net).
TEST_F(TraceFile, WithoutAFileOfItsOwnSwallowsTheRecords) {
    Trace nowhere(clock, directory.path() / "missing");
    EXPECT_FALSE(nowhere.TraceWrite(TraceKind::Open));
    EXPECT_FALSE(nowhere.TraceWrite(TraceKind::Receive, "lost"));
    EXPECT_FALSE(nowhere.TraceWrite(TraceKind::Close));
    EXPECT_FALSE(fs::exists(directory.path() / "missing"));

    const fs::path precious = directory.path() / "precious.txt";
    const std::pair<const char*, std::function<void()>> plants[] = {
        {"symbolic link", [&] { fs::create_symlink(precious, trace.FilePath()); }},
        {"hard link", [&] { fs::create_hard_link(precious, trace.FilePath()); }},
        {"FIFO", [&] { ASSERT_EQ(::mkfifo(trace.FilePath().c_str(), 0600), 0); }},
    };
    for (const auto& [what, plant] : plants) {
        SCOPED_TRACE(what);
        fs::remove(trace.FilePath());
        std::ofstream(precious) << "keep";
        ASSERT_EQ(::chmod(precious.c_str(), 0644), 0);
        plant();
        EXPECT_FALSE(trace.TraceWrite(TraceKind::Open));
        EXPECT_EQ(ReadFile(precious), "keep");
        EXPECT_EQ(Mode(precious), 0644u);
    }
    EXPECT_TRUE(fs::is_fifo(trace.FilePath()));
}

}  // namespace
}  // namespace mivex::phone::test
