#include "sms/semi_octets.h"

#include <cstddef>

namespace mivex::sms {
namespace {

constexpr char16_t kNibbleText[] = u"0123456789*#abc";
constexpr std::uint8_t kFiller = 0x0F;

// The nibble of one number character, or -1 for a character that has none.
constexpr int NibbleOf(char16_t c) {
    if (c >= u'0' && c <= u'9') {
        return c - u'0';
    }
    switch (c) {
        case u'*':
            return 0xA;
        case u'#':
            return 0xB;
        case u'a':
            return 0xC;
        case u'b':
            return 0xD;
        case u'c':
            return 0xE;
        default:
            return -1;
    }
}

}  // namespace

std::u16string SemiOctetsToText(std::span<const std::uint8_t> octets, int digits) {
    std::u16string text;
    if (digits <= 0) {
        return text;
    }
    const auto wanted = static_cast<std::size_t>(digits);
    const std::size_t available = wanted < octets.size() * 2 ? wanted : octets.size() * 2;
    text.reserve(available);
    for (std::size_t k = 0; k < available; ++k) {
        const std::uint8_t octet = octets[k / 2];
        const std::uint8_t nibble = (k % 2 == 0) ? (octet & 0x0F) : (octet >> 4);
        if (nibble != kFiller) {
            text.push_back(kNibbleText[nibble]);
        }
    }
    return text;
}

int TextToSemiOctets(std::u16string_view text, std::vector<std::uint8_t>* octets) {
    int count = 0;
    for (const char16_t c : text) {
        const int nibble = NibbleOf(c);
        if (nibble < 0) {
            continue;
        }
        if (octets != nullptr) {
            if (count % 2 == 0) {
                octets->push_back(static_cast<std::uint8_t>(0xF0 | nibble));
            } else {
                std::uint8_t& last = octets->back();
                last = static_cast<std::uint8_t>((nibble << 4) | (last & 0x0F));
            }
        }
        ++count;
    }
    return count;
}

}  // namespace mivex::sms
