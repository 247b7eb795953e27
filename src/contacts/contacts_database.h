#pragma once

// The user's address book in the record model the lists and the name lookup
// read: one table of categories and one of contacts, each a list of
// typed-property records in a fixed stored order. Both are built from the
// user's vCard files (see contacts_directory.h) and only ever read.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "store/property.h"

namespace mivex::contacts {

// Every stored name, number and category text is cut to this many UTF-16
// units (never inside a surrogate pair).
inline constexpr std::size_t kMaxContactFieldUnits = 1024;

// Category records.
namespace category_prop {
inline constexpr std::uint16_t kName = 0x4001;  // string
inline constexpr std::uint16_t kId = 0x4002;    // I2, 1 and up in order of first appearance
}  // namespace category_prop

// Contact records.
namespace contact_prop {
// Blob: category id k is set when octet k / 8 exists and has bit k % 8 set.
inline constexpr std::uint16_t kCategories = 0x0016;
inline constexpr std::uint16_t kFirstName = 0x3A06;
inline constexpr std::uint16_t kLastName = 0x3A11;

// The names tried, in this order, when first and last name are both empty.
inline constexpr std::uint16_t kFormattedName = 0x4013;  // vCard FN
inline constexpr std::uint16_t kCompany = 0x3A16;        // ORG, first component
inline constexpr std::uint16_t kNickname = 0x3A18;       // NICKNAME, the first one
inline constexpr std::uint16_t kEmail = 0x3A19;          // EMAIL, the first one
inline constexpr std::uint16_t kDepartment = 0x3A17;     // ORG, second component
inline constexpr std::uint16_t kJobTitle = 0x400A;       // TITLE
inline constexpr std::uint16_t kSpareName1 = 0x4006;     // never set from vCard
inline constexpr std::uint16_t kSpareName2 = 0x4002;     // never set from vCard
inline constexpr std::array<std::uint16_t, 8> kFallbackNames = {
    kFormattedName, kCompany, kNickname, kEmail, kDepartment, kJobTitle, kSpareName1, kSpareName2};

// Phone numbers, in the order the contact list makes its entries.
inline constexpr std::uint16_t kMobile = 0x3A1C;
inline constexpr std::uint16_t kRadio = 0x3A1D;
inline constexpr std::uint16_t kCar = 0x3A1E;
inline constexpr std::uint16_t kHome = 0x3A09;
inline constexpr std::uint16_t kHome2 = 0x3A2F;
inline constexpr std::uint16_t kHomeFax = 0x3A25;
inline constexpr std::uint16_t kWork = 0x3A08;
inline constexpr std::uint16_t kWorkFax = 0x3A24;
inline constexpr std::uint16_t kWork2 = 0x4007;
inline constexpr std::uint16_t kPager = 0x4009;
inline constexpr std::uint16_t kAssistant = 0x4004;

struct NumberSlot {
    std::uint16_t property;
    std::u16string_view suffix;  // ends the contact entry: ",M"
    bool alwaysListed;           // else only with ShowAllContactNumbers
};
inline constexpr std::array<NumberSlot, 11> kNumberSlots = {{
    {kMobile, u",M", true},
    {kRadio, u",R", true},
    {kCar, u",C", true},
    {kHome, u",H", false},
    {kHome2, u",H", false},
    {kHomeFax, u",F", false},
    {kWork, u",W", false},
    {kWorkFax, u",F", false},
    {kWork2, u",W", false},
    {kPager, u",P", false},
    {kAssistant, u",A", false},
}};
}  // namespace contact_prop

struct ContactsDatabase {
    std::vector<store::PropArray> categories;
    std::vector<store::PropArray> contacts;
};

}  // namespace mivex::contacts
