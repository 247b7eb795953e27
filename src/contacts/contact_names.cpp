#include "contacts/contact_names.h"

namespace mivex::contacts {
namespace {

std::u16string_view StringProp(std::span<const store::PropVal> contact, std::uint16_t number) {
    const std::u16string* text = store::FindPropString(contact, number);
    return text != nullptr ? std::u16string_view(*text) : std::u16string_view();
}

}  // namespace

std::u16string ContactDisplayName(std::span<const store::PropVal> contact, NameOrder order) {
    std::u16string_view first = StringProp(contact, contact_prop::kFirstName);
    std::u16string_view last = StringProp(contact, contact_prop::kLastName);
    if (order == NameOrder::LastThenFirst)
        std::swap(first, last);

    std::u16string name(first);
    if (!last.empty()) {
        if (!name.empty())
            name += u' ';
        name += last;
    }
    if (!name.empty())
        return name;

    for (std::uint16_t property : contact_prop::kFallbackNames) {
        std::u16string_view fallback = StringProp(contact, property);
        if (!fallback.empty())
            return std::u16string(fallback);
    }
    return {};
}

}  // namespace mivex::contacts
