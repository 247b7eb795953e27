#include "phonesim/line_pacer.h"

#include <gtest/gtest.h>

namespace mivex::phonesim {
namespace {

using namespace std::chrono_literals;
using Clock = LinePacer::Clock;

TEST(LinePacer, TenBitsAByteAtTheBaudRate) {
    LinePacer pacer(9600);  // 1.0417 ms a byte
    const Clock::time_point start{};
    pacer.Start(start);
    EXPECT_EQ(pacer.Allowance(start), 1U);  // the first byte goes at once
    EXPECT_EQ(pacer.Allowance(start + 1ms), 1U);
    EXPECT_EQ(pacer.Allowance(start + 1042us), 2U);
    EXPECT_EQ(pacer.Allowance(start + 1s), 961U);
    pacer.Sent(961);
    EXPECT_EQ(pacer.Allowance(start + 1s), 0U);
    // Byte 961 is due 961 * 10 / 9600 s after the start.
    EXPECT_EQ(pacer.WaitBeforeNext(start + 1s), 1'041'666ns);
}

TEST(LinePacer, IdleTimeEarnsNoCreditButABusyLineKeepsItsPace) {
    LinePacer pacer(1000);  // 10 ms a byte
    const Clock::time_point start{};
    pacer.Start(start);
    pacer.Sent(1);
    // New output while byte 0 is still on the line: byte 1 waits its turn.
    pacer.Start(start + 5ms);
    EXPECT_EQ(pacer.Allowance(start + 5ms), 0U);
    EXPECT_EQ(pacer.WaitBeforeNext(start + 5ms), 5ms);
    // After a long quiet spell a burst starts afresh: one byte, not a flood.
    pacer.Start(start + 10s);
    EXPECT_EQ(pacer.Allowance(start + 10s), 1U);
}

TEST(LinePacer, BatchesABurstButSendsItsLastByteWhenDue) {
    // baud rate, bytes of the burst already gone, bytes queued behind them, wait
    const std::tuple<int, std::size_t, std::size_t, Clock::duration> cases[] = {
        {1000, 0, 5, 0ms},              // the first byte goes at once
        {1000, 1, 1, 10ms},             // a lone last byte goes exactly when due
        {1000, 1, 5, 11ms},             // byte 1 is due at 10 ms, then one batch interval
        {115200, 1, 100, 1'086'805ns},  // 86.8 us a byte: a millisecond's worth at a time
        {115200, 1, 5, 434'027ns},      // the last byte is due before the batch interval ends
    };
    for (const auto& [baudRate, sent, waiting, wait] : cases) {
        SCOPED_TRACE(::testing::Message()
                     << baudRate << " baud, " << sent << " sent, " << waiting << " waiting");
        LinePacer pacer(baudRate);
        const Clock::time_point start{};
        pacer.Start(start);
        pacer.Sent(sent);
        EXPECT_EQ(pacer.WaitBeforeBatch(start, waiting), wait);
    }
}

TEST(LinePacer, NoBaudRateMeansNoLimit) {
    LinePacer pacer(0);
    pacer.Start({});
    EXPECT_FALSE(pacer.Paced());
    EXPECT_GT(pacer.Allowance({}), 1U << 30);
    EXPECT_EQ(pacer.WaitBeforeNext({}), Clock::duration::zero());
    EXPECT_EQ(pacer.WaitBeforeBatch({}, 100), Clock::duration::zero());
}

}  // namespace
}  // namespace mivex::phonesim
