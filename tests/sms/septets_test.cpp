#include "sms/septets.h"

#include <gtest/gtest.h>

#include <tuple>

#include "test_octets.h"

namespace mivex::sms {
namespace {

using test::Octets;
using test::SpacedHex;

// Lower-case letters have the same codes in ASCII and in the GSM alphabet.
std::vector<std::uint8_t> Codes(std::string_view letters) {
    return {letters.begin(), letters.end()};
}

TEST(Septets, PacksLeastSignificantBitFirst) {
    // Letters, start bit, destination before and after, result in hex digits.
    const std::tuple<std::string_view, int, std::string_view, std::string_view, int> vectors[] = {
        {"hellohello", 0, "FF FF FF FF FF FF FF FF FF", "E8 32 9B FD 46 97 D9 EC 37", 18},
        // Behind a six-octet header and its fill bit, which are kept.
        {"he", 49, "FF FF FF FF FF FF FF FF", "FF FF FF FF FF FF D1 65", 16},
        {"", 49, "FF", "FF", 13},
        // A destination too small is refused untouched.
        {"he", 49, "55 55 55 55 55 55 55", "55 55 55 55 55 55 55", -1},
    };
    for (const auto& [letters, startBit, before, after, result] : vectors) {
        SCOPED_TRACE(testing::Message() << letters << " from bit " << startBit);
        std::vector<std::uint8_t> packed = Octets(before);
        EXPECT_EQ(PackSeptets(Codes(letters), startBit, packed), result);
        EXPECT_EQ(SpacedHex(packed), after);
    }
}

TEST(Septets, UnpacksTheSeptetsAfterASkip) {
    // Source, total, skip, room for codes, letters expected.
    const std::tuple<std::string_view, int, int, std::size_t, std::string_view> vectors[] = {
        {"E8 32 9B FD 46 97 D9 EC 37", 10, 3, 7, "lohello"},
        {"E8 32 9B FD 46 97 D9", 5, 7, 8, ""},  // skip beyond the total
        {"E8 32 9B FD 46 97", 8, 3, 8, ""},     // source short of the total
        {"E8 32 9B FD 46 97 D9", 8, 0, 7, ""},  // codes too small
    };
    for (const auto& [source, total, skip, room, letters] : vectors) {
        SCOPED_TRACE(testing::Message() << source << ", " << total << " skip " << skip);
        std::vector<std::uint8_t> codes(room, 0xAA);
        EXPECT_EQ(UnpackSeptets(Octets(source), total, skip, codes),
                  static_cast<int>(letters.size()));
        std::vector<std::uint8_t> expected = Codes(letters);
        expected.resize(room, 0xAA);  // nothing written past the codes
        EXPECT_EQ(codes, expected);
    }
}

}  // namespace
}  // namespace mivex::sms
