#include "sms/gsm_alphabet.h"

#include <algorithm>
#include <cstddef>

namespace mivex::sms {
namespace {

// Reverse lookup for the units below U+0100, built at compile time. Where two
// codes share a unit the higher one wins, as a search of the table from code
// 127 down would find it: the space is 0x20, never the escape code 0x1B.
// The septets of each such unit in message text: 1 in the default alphabet, 2
// as an escape pair, 0 in neither table.
struct ReverseAlphabet {
    std::array<std::uint8_t, 256> latin{};
    std::array<std::uint8_t, 256> septets{};

    constexpr ReverseAlphabet() {
        latin.fill(kGsmQuestionMark);
        for (std::size_t code = 0; code < GsmAlphabet.size(); ++code) {
            const char16_t unit = GsmAlphabet[code];
            if (unit < latin.size()) {
                latin[unit] = static_cast<std::uint8_t>(code);
                septets[unit] = 1;
            }
        }
        for (const GsmExtension& extension : GsmExtensionTable) {
            if (extension.unit < septets.size()) {
                septets[extension.unit] = 2;
            }
        }
    }
};

constexpr ReverseAlphabet kReverse;

// Above U+00FF the default alphabet holds only Greek capitals, all in this range.
constexpr char16_t kFirstGreek = u'\u0393';
constexpr char16_t kLastGreek = u'\u03A9';
constexpr char16_t kEuroSign = u'\u20AC';

std::optional<char16_t> ExtensionToText(std::uint8_t code) {
    for (const GsmExtension& extension : GsmExtensionTable) {
        if (extension.code == code) {
            return extension.unit;
        }
    }
    return std::nullopt;
}

}  // namespace

char16_t GsmCodeToText(std::uint8_t code) {
    return code < GsmAlphabet.size() ? GsmAlphabet[code] : u'?';
}

std::uint8_t TextToGsmCode(char16_t unit) {
    if (unit < kReverse.latin.size()) {
        return kReverse.latin[unit];
    }
    if (unit < kFirstGreek || unit > kLastGreek) {
        return kGsmQuestionMark;
    }
    for (std::size_t code = GsmAlphabet.size(); code-- > 0;) {
        if (GsmAlphabet[code] == unit) {
            return static_cast<std::uint8_t>(code);
        }
    }
    return kGsmQuestionMark;
}

std::optional<std::uint8_t> TextToGsmExtension(char16_t unit) {
    for (const GsmExtension& extension : GsmExtensionTable) {
        if (extension.unit == unit) {
            return extension.code;
        }
    }
    return std::nullopt;
}

int GsmSeptetsOf(char16_t unit) {
    if (unit < kReverse.septets.size()) {
        return kReverse.septets[unit];
    }
    if (unit == kEuroSign) {
        return 2;
    }
    return TextToGsmCode(unit) != kGsmQuestionMark ? 1 : 0;
}

std::u16string DecodeGsmText(std::span<const std::uint8_t> codes) {
    std::u16string text;
    text.reserve(codes.size());
    for (std::size_t i = 0; i < codes.size(); ++i) {
        if (codes[i] != kGsmEscape || i + 1 == codes.size()) {
            text.push_back(GsmCodeToText(codes[i]));
            continue;
        }
        const std::uint8_t code = codes[++i];
        if (code == kGsmEscape) {
            text.push_back(u' ');
        } else {
            text.push_back(ExtensionToText(code).value_or(GsmCodeToText(code)));
        }
    }
    return text;
}

std::vector<std::uint8_t> EncodeGsmText(std::u16string_view text) {
    std::vector<std::uint8_t> codes;
    codes.reserve(text.size());
    for (const char16_t unit : text) {
        const std::uint8_t code = TextToGsmCode(unit);
        if (code != kGsmQuestionMark || unit == u'?') {
            codes.push_back(code);
        } else if (const std::optional<std::uint8_t> extension = TextToGsmExtension(unit)) {
            codes.push_back(kGsmEscape);
            codes.push_back(*extension);
        } else {
            codes.push_back(kGsmQuestionMark);
        }
    }
    return codes;
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

}  // namespace mivex::sms
