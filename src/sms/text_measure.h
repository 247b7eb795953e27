#pragma once

// How a message text goes out: in which encoding, in how many SMS and which
// UTF-16 units each SMS carries. The encoder, the sending run, the compose
// view's counter and queueing all ask MeasureText, so what the counter shows
// is what is sent.
//
// A text that the GSM default alphabet and its extension table can carry goes
// in GSM 7-bit (TP-DCS 00), the cheapest coding and the one every phone shows:
// 160 septets in one SMS, 153 in each segment of a concatenated message, an
// extension character taking two (the escape and its code). Any other text
// goes in UCS2 (TP-DCS 08): 70 UTF-16 units in one SMS, 67 per segment. An
// escape pair or a surrogate pair is never split across two segments.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace mivex::sms {

enum class TextEncoding : std::uint8_t { Gsm7Bit, Ucs2 };

// Automatic picks the encoding per text; GsmOnly sends every text in the
// default alphabet alone, one septet per UTF-16 unit, anything else as "?",
// for recipients whose phones cannot show Unicode.
enum class AlphabetChoice : std::uint8_t { Automatic, GsmOnly };

// A message text holds at most this many UTF-16 units.
inline constexpr std::size_t kMaxMessageChars = 9999;
// TP-UD holds 140 octets; a segment's concatenation header takes 6 of them
// and, in 7-bit text, one fill bit up to the next septet boundary.
inline constexpr std::size_t kSingleMessageSeptets = 160;
inline constexpr std::size_t kSegmentSeptets = 153;
inline constexpr std::size_t kSingleMessageUcs2Units = 70;
inline constexpr std::size_t kSegmentUcs2Units = 67;
// The concatenation header counts segments in one octet.
inline constexpr std::size_t kMaxSegments = 255;

// The UTF-16 units of a text that one SMS carries.
struct TextRange {
    std::size_t firstUnit = 0;
    std::size_t unitCount = 0;

    friend bool operator==(const TextRange&, const TextRange&) = default;
};

struct TextMeasure {
    TextEncoding encoding = TextEncoding::Gsm7Bit;
    // What is still free in the last SMS: septets in GSM 7-bit, UTF-16 units
    // in UCS2. An empty text leaves 160 septets.
    std::size_t unitsLeft = kSingleMessageSeptets;
    // SMS the text goes in: 1 for a single message, else the segments.
    std::size_t segments = 1;
    // The units each SMS carries, in sending order; one range for a single
    // message (the whole text, possibly empty).
    std::vector<TextRange> ranges;
    // False for a text of more than kMaxMessageChars units or of more than
    // kMaxSegments segments: such a text cannot be sent.
    bool withinLimits = true;
};

[[nodiscard]] TextMeasure MeasureText(std::u16string_view text, AlphabetChoice choice);

// The units from the start of `text` that fit into `capacity` septets (GSM
// 7-bit) or UTF-16 units (UCS2) without splitting a pair, and what they use
// of the capacity.
struct FittedUnits {
    std::size_t units = 0;
    std::size_t used = 0;
};
[[nodiscard]] FittedUnits FitUnits(std::u16string_view text, TextEncoding encoding,
                                   AlphabetChoice choice, std::size_t capacity);

}  // namespace mivex::sms
