#include "phone/serial_line.h"

#include <gtest/gtest.h>

#include "link_fixture.h"

namespace mivex::phone::test {
namespace {

using RecordList = std::vector<TraceRecord>;

class SerialLine : public OpenPortTest {
protected:
    ResponseBuffer answer;
};

TEST_F(SerialLine, ReadUntilMatchesWithTheRestartRule) {
    // answer, terminator, result, what the buffer holds afterwards, line fails after the answer
    const std::tuple<std::string_view, std::string_view, bool, std::string_view, bool> cases[] = {
        // The third byte breaks "\r\nOK" but, being a CR, restarts the count at 1.
        {"\r\n\r\nOK\r\nrest", "\r\nOK\r\n", true, "\r\n\r\nOK\r\n", false},
        {"\r\r\n> ", "\r\n> ", true, "\r\r\n> ", false},
        // After a mismatch only the first character is tried again: "aaab"
        // never completes "aab", so the read runs into its time-out.
        {"aaab", "aab", false, "aaab", false},
        // "ERROR" anywhere fails the read, even with OK behind it.
        {"\r\n+CMS ERROR: 500\r\n", "\r\nOK\r\n", false, "\r\n+CMS ERROR", false},
        {"\r\nERROR\r\n\r\nOK\r\n", "\r\nOK\r\n", false, "\r\nERROR", false},
        // A byte completing both patterns is a success: the terminator comes first.
        {"ERROR", "OR", true, "ERROR", false},
        // A failed line keeps what came before it too.
        {"\r\n+CM", "\r\nOK\r\n", false, "\r\n+CM", true},
    };
    for (const auto& [bytes, terminator, result, kept, lineFails] : cases) {
        SCOPED_TRACE(::testing::PrintToString(std::string(bytes)));
        line.incoming.clear();
        port = OpenScriptedPort();
        line.ArriveIn(bytes, 10);
        line.failReadsAt.reset();
        if (lineFails)
            line.failReadsAt = clock.NowMs() + 20;
        ResponseBuffer buffer;
        EXPECT_EQ(SerialReadUntil(port, buffer, terminator, 2000), result);
        EXPECT_EQ(buffer.Text(), kept);
    }
}

TEST_F(SerialLine, ErrorDrainsTheNextHundredMilliseconds) {
    line.ArriveIn("\r\nERROR", 10);
    line.ArriveIn("\r\n", 50);
    line.ArriveIn("LATE", 300);
    EXPECT_FALSE(SerialReadUntil(port, answer, "\r\nOK\r\n", 3000));
    EXPECT_EQ(answer.Text(), "\r\nERROR");
    EXPECT_EQ(line.Pending(), "LATE");
    // The answer, then each drained byte in a record of its own.
    EXPECT_EQ(Records(), (RecordList{{'R', "\r\nERROR"}, {'R', "\r"}, {'R', "\n"}}));
}

TEST_F(SerialLine, FullBufferFailsOnItsLastByte) {
    // 494 bytes and the terminator: 500 bytes, the terminator arriving last.
    line.ArriveIn(std::string(494, 'x') + "\r\nOK\r\n", 10);
    EXPECT_TRUE(SerialReadUntil(port, answer, "\r\nOK\r\n", 3000));
    EXPECT_EQ(answer.Size(), kResponseBufferSize);

    line.ArriveIn(std::string(600, 'x'), 10);
    EXPECT_FALSE(SerialReadUntil(port, answer, "\r\nOK\r\n", 3000));
    EXPECT_EQ(answer.Text(), std::string(kResponseBufferSize, 'x'));
    EXPECT_EQ(line.Pending(), std::string(100, 'x'));
    EXPECT_EQ(Records().back(), TraceRecord('R', "Buffer Full Error!"));
}

TEST_F(SerialLine, TheDeadlineIsLookedAtOnlyAfterAnEmptyWait) {
    // A silent line: one whole wait, then the time-out.
    EXPECT_FALSE(SerialReadUntil(port, answer, "\r\nOK\r\n", 2000));
    EXPECT_EQ(line.readTimeouts, (std::vector<std::uint32_t>{2000}));
    EXPECT_EQ(
        Records(),
        (RecordList{{'R', ""}, {'R', "No Bytes received!"}, {'R', ""}, {'R', "Receive Timeout!"}}));

    line.ArriveIn(std::string(60, 'y') + "\r\nOK\r\n", 50, 90);  // 6 s of slow bytes
    EXPECT_TRUE(SerialReadUntil(port, answer, "\r\nOK\r\n", 2000));
    EXPECT_EQ(answer.Size(), 66u);

    // Bytes, then silence: the wait that began at 1500 ms runs its full 2000 ms.
    const std::uint64_t start = clock.NowMs();
    line.ArriveIn("\r\nPART", 1500);
    EXPECT_FALSE(SerialReadUntil(port, answer, "\r\nOK\r\n", 2000));
    EXPECT_EQ(clock.NowMs() - start, 3500u);
    EXPECT_EQ(answer.Text(), "\r\nPART");
}

TEST_F(SerialLine, AnEarlyEmptyWaitPausesAndReadsAgain) {
    // A driver whose reads give up after 500 ms, well before the deadline.
    line.waitCapMs = 500;
    line.ArriveIn("\r\nOK\r\n", 1250);
    EXPECT_TRUE(SerialReadUntil(port, answer, "\r\nOK\r\n", 2000));
    EXPECT_EQ(clock.sleeps, (std::vector<std::uint32_t>{100, 100}));

    const std::uint64_t start = clock.NowMs();
    EXPECT_FALSE(SerialReadUntil(port, answer, "\r\nOK\r\n", 2000));
    // Waits end at 500, 1100, 1700 and 2300 ms; the last is past the deadline.
    EXPECT_EQ(clock.NowMs() - start, 2300u);
}

TEST_F(SerialLine, WriteReportsFailuresAndShortWrites) {
    const std::tuple<WriteBehaviour, int, RecordList> cases[] = {
        {WriteBehaviour::Whole, 5, {{'T', "ATE0\r"}}},
        {WriteBehaviour::Fail, -1, {{'T', "ATE0\r"}, {'T', "Send Error"}}},
        {WriteBehaviour::Short, -1, {{'T', "ATE0\r"}, {'T', "Send Timed Out"}}},
    };
    for (const auto& [behaviour, result, records] : cases) {
        SCOPED_TRACE(static_cast<int>(behaviour));
        StartTrace();
        line.writeBehaviour = behaviour;
        EXPECT_EQ(SerialWrite(port, "ATE0\r", 1000), result);
        EXPECT_EQ(line.writes.back().timeoutMs, 1000u);
        EXPECT_EQ(Records(), records);
    }
}

TEST_F(SerialLine, FlushEndsOnANeverSilentLineAndReportsAFailedRead) {
    // What a flush discards, and how it traces it, the ERROR drain shows.
    line.ArriveIn(std::string(1000, 'z'), 0, 10);
    EXPECT_TRUE(SerialFlush(port, 100));
    EXPECT_FALSE(line.Pending().empty());
    line.failReadsAt = clock.NowMs();
    EXPECT_FALSE(SerialFlush(port, 100));
    EXPECT_EQ(Records().back(), TraceRecord('R', "Flush Buffer Receive Error!"));
}

TEST_F(SerialLine, ClosingReleasesTheDeviceOnce) {
    ClosePort(port);
    EXPECT_FALSE(port.isValid());
    ClosePort(port);
    EXPECT_EQ(line.closes, 1);
    { PortHandle dropped = OpenScriptedPort(); }
    EXPECT_EQ(line.closes, 2);  // a handle that dies open closes its device
    EXPECT_FALSE(SerialReadUntil(port, answer, "\r\nOK\r\n", 100));
    EXPECT_EQ(SerialWrite(port, "AT\r", 100), -1);
}

}  // namespace
}  // namespace mivex::phone::test
