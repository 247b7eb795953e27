#pragma once

// Reading the cards of one .vcf file: vCard 2.1, 3.0 and 4.0 as phones,
// address-book programs and CardDAV servers write them (folded lines,
// escapes, quoted-printable with CHARSET, TYPE parameters in every style,
// "item1." groups). Cards that cannot be read are skipped, each with a
// problem naming its line; the others are still read.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "contacts/contact_card.h"

namespace mivex::contacts {

struct CardProblem {
    std::size_t line = 0;  // 1-based line of the file where the card or the trouble begins
    std::string reason;    // short, for people: "card has no END:VCARD"

    friend bool operator==(const CardProblem&, const CardProblem&) = default;
};

struct VCardReadResult {
    std::vector<ContactCard> cards;     // in file order
    std::vector<CardProblem> problems;  // in file order
};

// Never fails as a whole: a file that is not text gives no cards and one
// problem. A line holding a NUL byte is left out of its card, with a problem.
[[nodiscard]] VCardReadResult ReadVCards(std::string_view fileBytes);

}  // namespace mivex::contacts
