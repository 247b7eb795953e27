#pragma once

// One person as a vCard describes them, reduced to what the contact lists
// and the name lookup use. Texts are UTF-16, each cut to
// kMaxContactFieldUnits.

#include <string>
#include <vector>

namespace mivex::contacts {

// What a phone number is for, from its TEL type parameters or its label.
enum class PhoneKind {
    Mobile,
    Radio,
    Car,
    Home,
    HomeFax,
    Work,
    WorkFax,
    Pager,
    Assistant,
    Unknown
};

struct CardPhone {
    std::u16string number;  // as written, without a "tel:" scheme or URI parameters
    PhoneKind kind = PhoneKind::Unknown;

    friend bool operator==(const CardPhone&, const CardPhone&) = default;
};

struct ContactCard {
    std::u16string firstName;                // N, given name
    std::u16string lastName;                 // N, family name
    std::u16string formattedName;            // FN
    std::u16string company;                  // ORG, first component
    std::u16string department;               // ORG, second component
    std::u16string nickname;                 // NICKNAME, the first one
    std::u16string email;                    // EMAIL, the first one
    std::u16string jobTitle;                 // TITLE
    std::vector<CardPhone> phones;           // in the card's order
    std::vector<std::u16string> categories;  // CATEGORIES, each once, in the card's order

    friend bool operator==(const ContactCard&, const ContactCard&) = default;
};

}  // namespace mivex::contacts
