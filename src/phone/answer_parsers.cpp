#include "phone/answer_parsers.h"

#include <algorithm>

#include "sms/hex_text.h"

namespace mivex::phone {

namespace {

// Digits beyond this value cannot make a valid count or type any more; the
// value stops growing there so that no run of digits can overflow.
constexpr int kSaturation = 100000;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The C locale's white space, as atoi skips it.
bool IsSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// The value of the digits at the start of `text` (0 when there are none),
// saturated at kSaturation.
int LeadingDigits(std::string_view text) {
    int value = 0;
    for (const char c : text) {
        if (!IsDigit(c))
            break;
        value = std::min(value * 10 + (c - '0'), kSaturation);
    }
    return value;
}

// atoi without its overflow: white space, an optional sign, digits.
int AtoiValue(std::string_view text) {
    std::size_t position = 0;
    while (position < text.size() && IsSpace(text[position]))
        ++position;
    bool negative = false;
    if (position < text.size() && (text[position] == '+' || text[position] == '-')) {
        negative = text[position] == '-';
        ++position;
    }
    const int magnitude = LeadingDigits(text.substr(position));
    return negative ? -magnitude : magnitude;
}

bool IsStoreCount(int count) {
    return count >= 0 && count <= kMaxStoreCount;
}

// The answer from its information line "<prefix> ..." on, or the whole answer
// when it has none. A phone may put unsolicited lines such as
// +CMTI: "SM",3 before the answer; their colon, digits, quotes and comma
// would otherwise be read as the answer's own.
std::string_view FromInformationLine(std::string_view answer, std::string_view prefix) {
    const std::size_t start = answer.find(prefix);
    return start == std::string_view::npos ? answer : answer.substr(start);
}

}  // namespace

std::optional<StorageCounts> ParseStorageCounts(std::string_view fullAnswer) {
    const std::string_view answer = FromInformationLine(fullAnswer, "+CPMS:");
    const std::size_t digit = answer.find_first_of("0123456789");
    if (digit == std::string_view::npos)
        return std::nullopt;
    const std::size_t comma = answer.find(',', digit);
    if (comma == std::string_view::npos)
        return std::nullopt;
    StorageCounts counts;
    counts.used = LeadingDigits(answer.substr(digit));
    if (!IsStoreCount(counts.used))
        return std::nullopt;
    counts.total = AtoiValue(answer.substr(comma + 1));
    if (!IsStoreCount(counts.total))
        return std::nullopt;
    // A phone that reports less room than messages is not believed about the
    // room; reading then goes on until every used slot has been found.
    if (counts.total < counts.used)
        counts.total = kMaxStoreCount;
    return counts;
}

std::string ParseServiceCentre(std::string_view fullAnswer) {
    constexpr int kInternationalType = 145;
    const std::string_view answer = FromInformationLine(fullAnswer, "+CSCA:");
    const std::size_t open = answer.find('"');
    if (open == std::string_view::npos)
        return {};
    const std::size_t close = answer.find('"', open + 1);
    if (close == std::string_view::npos)
        return {};
    const std::size_t comma = answer.find(',', close + 1);
    if (comma == std::string_view::npos || close == open + 1)
        return {};
    const std::string_view number = answer.substr(open + 1, close - open - 1);
    if (AtoiValue(answer.substr(comma + 1)) == kInternationalType && number.front() != '+')
        return "+" + std::string(number);
    return std::string(number);
}

std::vector<std::uint8_t> ParseStoredMessagePdu(std::string_view fullAnswer) {
    const std::string_view answer = FromInformationLine(fullAnswer, "+CMGR:");
    const std::size_t colon = answer.find(':');
    if (colon == std::string_view::npos)
        return {};
    const std::size_t lineFeed = answer.find('\n', colon);
    if (lineFeed == std::string_view::npos)
        return {};
    const std::size_t carriageReturn = answer.find('\r', lineFeed + 1);
    if (carriageReturn == std::string_view::npos)
        return {};
    return sms::HexToBytes(answer.substr(lineFeed + 1, carriageReturn - lineFeed - 1));
}

}  // namespace mivex::phone
