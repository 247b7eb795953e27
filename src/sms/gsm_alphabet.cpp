#include "sms/gsm_alphabet.h"

#include <algorithm>
#include <cstddef>

namespace mivex::sms {
namespace {

// Reverse lookup for the units below U+0100, built at compile time. Where two
// codes share a unit the higher one wins, as a search of the table from code
// 127 down would find it: the space is 0x20, never the escape code 0x1B.
struct ReverseAlphabet {
    std::array<std::uint8_t, 256> latin{};

    constexpr ReverseAlphabet() {
        latin.fill(kGsmQuestionMark);
        for (std::size_t code = 0; code < GsmAlphabet.size(); ++code) {
            const char16_t unit = GsmAlphabet[code];
            if (unit < latin.size()) {
                latin[unit] = static_cast<std::uint8_t>(code);
            }
        }
    }
};

constexpr ReverseAlphabet kReverse;

}  // namespace

char16_t GsmCodeToText(std::uint8_t code) {
    return code < GsmAlphabet.size() ? GsmAlphabet[code] : u'?';
}

std::uint8_t TextToGsmCode(char16_t unit) {
    if (unit < kReverse.latin.size()) {
        return kReverse.latin[unit];
    }
    // Only the Greek capitals lie above U+00FF; search them the same way.
    for (std::size_t code = GsmAlphabet.size(); code-- > 0;) {
        if (GsmAlphabet[code] == unit) {
            return static_cast<std::uint8_t>(code);
        }
    }
    return kGsmQuestionMark;
}

std::u16string GsmCodesToText(std::span<const std::uint8_t> codes) {
    std::u16string text(codes.size(), u'\0');
    std::transform(codes.begin(), codes.end(), text.begin(), GsmCodeToText);
    return text;
}

std::vector<std::uint8_t> TextToGsmCodes(std::u16string_view text) {
    std::vector<std::uint8_t> codes(text.size());
    std::transform(text.begin(), text.end(), codes.begin(), TextToGsmCode);
    return codes;
}

int GsmTranslate(std::span<std::uint8_t> gsm, std::span<char16_t> text, int count,
                 TranslateDirection direction) {
    const bool known =
        direction == TranslateDirection::GsmToText || direction == TranslateDirection::TextToGsm;
    if (gsm.data() == nullptr || text.data() == nullptr || count == 0 || !known) {
        return -1;
    }
    if (count < 0) {
        if (direction == TranslateDirection::GsmToText) {
            text[0] = u'\0';
        }
        return 0;
    }
    const auto units = static_cast<std::size_t>(count);
    if (direction == TranslateDirection::GsmToText) {
        if (gsm.size() < units || text.size() < units + 1) {
            return -1;
        }
        for (std::size_t i = 0; i < units; ++i) {
            text[i] = GsmCodeToText(gsm[i]);
        }
        text[units] = u'\0';
        return count;
    }
    if (gsm.size() < units || text.size() < units) {
        return -1;
    }
    for (std::size_t i = 0; i < units; ++i) {
        gsm[i] = TextToGsmCode(text[i]);
    }
    return count;
}

}  // namespace mivex::sms
