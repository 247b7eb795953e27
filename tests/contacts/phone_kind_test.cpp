#include "contacts/phone_kind.h"

#include <gtest/gtest.h>

namespace mivex::contacts {
namespace {

TEST(PhoneKind, TypesDecideInOrderAndLabelsOnlyWhenTypesNameNothing) {
    using K = PhoneKind;
    struct Case {
        std::vector<std::string> tokens;
        std::optional<std::string_view> label;
        PhoneKind expected;
    };
    const std::vector<Case> cases = {
        {{"fax", "home"}, {}, K::HomeFax},
        {{"work", "fax"}, {}, K::WorkFax},
        {{"fax"}, {}, K::WorkFax},
        {{"cell", "home", "pref"}, {}, K::Mobile},
        {{"iphone"}, {}, K::Mobile},
        {{"x-mobile"}, {}, K::Mobile},
        {{"text", "voice", "work"}, {}, K::Mobile},
        {{"pager", "work"}, {}, K::Pager},
        {{"car", "home"}, {}, K::Car},
        {{"x-evolution-radio"}, {}, K::Radio},
        {{"x-evolution-assistant", "work"}, {}, K::Assistant},
        {{"voice", "home", "work"}, {}, K::Home},
        {{"x-evolution-company"}, {}, K::Work},
        {{"voice", "pref"}, {}, K::Unknown},
        {{}, "_$!<Mobile>!$_", K::Mobile},
        {{}, "_$!<HomeFAX>!$_", K::HomeFax},
        {{}, "Work Fax", K::WorkFax},
        {{}, "Pager", K::Pager},
        {{}, "Boat", K::Unknown},
        {{"voice"}, "Home", K::Home},
        {{"work"}, "Mobile", K::Work},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.tokens) + " " + std::string(c.label.value_or("-")));
        EXPECT_EQ(ClassifyPhone(c.tokens, c.label), c.expected);
    }
}

}  // namespace
}  // namespace mivex::contacts
