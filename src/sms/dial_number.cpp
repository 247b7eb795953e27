#include "sms/dial_number.h"

#include <algorithm>

namespace mivex::sms {
namespace {

constexpr bool IsDialChar(char16_t c) {
    return (c >= u'0' && c <= u'9') || c == u'#' || c == u'*' || c == u'+' || c == u'p' ||
           c == u'w';
}

constexpr bool IsNumberSeparator(char16_t c) {
    return c == u' ' || c == u'-' || c == u'.' || c == u'(' || c == u')' || c == u'/';
}

}  // namespace

int FilterDialChars(std::u16string& text) {
    std::erase_if(text, [](char16_t c) { return !IsDialChar(c); });
    return static_cast<int>(text.size());
}

bool IsUsableRecipientNumber(std::u16string_view typed) {
    return std::all_of(typed.begin(), typed.end(),
                       [](char16_t c) { return IsDialChar(c) || IsNumberSeparator(c); }) &&
           std::any_of(typed.begin(), typed.end(),
                       [](char16_t c) { return c >= u'0' && c <= u'9'; });
}

bool IsUsableServiceCentre(std::u16string_view filteredNumber) {
    return filteredNumber.size() >= 2 && filteredNumber.front() == u'+';
}

std::size_t CountCommonTail(std::u16string_view a, std::u16string_view b) {
    std::size_t count = 0;
    while (count < a.size() && count < b.size() &&
           a[a.size() - 1 - count] == b[b.size() - 1 - count])
        ++count;
    return count;
}

}  // namespace mivex::sms
