#include "sms/text_measure.h"

#include "sms/gsm_alphabet.h"

namespace mivex::sms {
namespace {

bool IsHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsLowSurrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// The next character that must travel whole: its UTF-16 units and what it
// costs of a segment's capacity.
struct Item {
    std::size_t units = 1;
    std::size_t cost = 1;
};

Item ItemAt(std::u16string_view text, std::size_t at, TextEncoding encoding,
            AlphabetChoice choice) {
    if (encoding == TextEncoding::Ucs2) {
        // A surrogate pair is one character; a lone surrogate is sent as it is.
        const bool pair =
            IsHighSurrogate(text[at]) && at + 1 < text.size() && IsLowSurrogate(text[at + 1]);
        return pair ? Item{2, 2} : Item{1, 1};
    }
    if (choice == AlphabetChoice::GsmOnly) {
        return {1, 1};
    }
    // A unit neither table holds goes as "?", one septet.
    return {1, GsmSeptetsOf(text[at]) == 2 ? std::size_t{2} : std::size_t{1}};
}

}  // namespace

FittedUnits FitUnits(std::u16string_view text, TextEncoding encoding, AlphabetChoice choice,
                     std::size_t capacity) {
    FittedUnits fitted;
    while (fitted.units < text.size()) {
        const Item item = ItemAt(text, fitted.units, encoding, choice);
        if (fitted.used + item.cost > capacity) {
            break;
        }
        fitted.units += item.units;
        fitted.used += item.cost;
    }
    return fitted;
}

TextMeasure MeasureText(std::u16string_view text, AlphabetChoice choice) {
    TextMeasure measure;
    // The septets the text takes in GSM 7-bit, until a unit shows that it
    // cannot go in GSM 7-bit at all.
    std::size_t septets = text.size();
    if (choice == AlphabetChoice::Automatic) {
        septets = 0;
        for (const char16_t unit : text) {
            const int cost = GsmSeptetsOf(unit);
            if (cost == 0) {
                measure.encoding = TextEncoding::Ucs2;
                break;
            }
            septets += static_cast<std::size_t>(cost);
        }
    }
    const bool ucs2 = measure.encoding == TextEncoding::Ucs2;
    const std::size_t single = ucs2 ? kSingleMessageUcs2Units : kSingleMessageSeptets;
    const std::size_t perSegment = ucs2 ? kSegmentUcs2Units : kSegmentSeptets;
    const std::size_t total = ucs2 ? text.size() : septets;

    if (total <= single) {
        measure.unitsLeft = single - total;
        measure.ranges.push_back({0, text.size()});
    } else {
        measure.ranges.reserve(total / perSegment + 1);
        for (std::size_t first = 0; first < text.size();) {
            const FittedUnits fitted =
                FitUnits(text.substr(first), measure.encoding, choice, perSegment);
            measure.ranges.push_back({first, fitted.units});
            measure.unitsLeft = perSegment - fitted.used;
            first += fitted.units;
            if (fitted.units == 0) {
                break;  // unreachable: every character costs at most 2
            }
        }
    }
    measure.segments = measure.ranges.size();
    measure.withinLimits = text.size() <= kMaxMessageChars && measure.segments <= kMaxSegments;
    return measure;
}

}  // namespace mivex::sms
