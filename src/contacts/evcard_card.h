#pragma once

// One card through Evolution's vCard parser (EVCard), read into a
// ContactCard. GLib stays behind this header.

#include <optional>
#include <string>
#include <vector>

#include "contacts/contact_card.h"

namespace mivex::contacts {

struct ParsedCard {
    std::optional<ContactCard> card;   // nothing when a text it is read for is not UTF-8
    std::vector<std::string> reasons;  // what the parser warned about, for problems
};

// `text` is one whole card from BEGIN:VCARD to END:VCARD, unfolded, with
// CRLF line ends and only well-formed property lines. The parser's
// warnings are collected, not printed.
[[nodiscard]] ParsedCard ParseCardWithEVCard(const std::string& text);

}  // namespace mivex::contacts
