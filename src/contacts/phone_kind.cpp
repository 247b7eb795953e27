#include "contacts/phone_kind.h"

#include <algorithm>
#include <array>
#include <vector>

namespace mivex::contacts {
namespace {

struct KindRule {
    PhoneKind kind;
    std::array<std::string_view, 6> words;  // unused places stay empty
};

// Checked from the top: a number typed "cell" and "home" is a mobile, one
// typed "fax" and "home" a home fax. Fax is settled before this table.
constexpr std::array<KindRule, 7> kRules = {{
    {PhoneKind::Mobile, {"cell", "mobile", "iphone", "pcs", "x-mobile", "text"}},
    {PhoneKind::Pager, {"pager"}},
    {PhoneKind::Car, {"car"}},
    {PhoneKind::Radio, {"radio", "x-evolution-radio"}},
    {PhoneKind::Assistant, {"assistant", "x-assistant", "x-evolution-assistant"}},
    {PhoneKind::Home, {"home"}},
    {PhoneKind::Work, {"work", "x-evolution-company"}},
}};

bool Holds(std::span<const std::string> tokens, std::string_view word) {
    return std::find(tokens.begin(), tokens.end(), word) != tokens.end();
}

PhoneKind KindOfTokens(std::span<const std::string> tokens) {
    if (Holds(tokens, "fax")) {
        return Holds(tokens, "home") ? PhoneKind::HomeFax : PhoneKind::WorkFax;
    }
    for (const KindRule& rule : kRules) {
        for (const std::string_view word : rule.words) {
            if (!word.empty() && Holds(tokens, word)) {
                return rule.kind;
            }
        }
    }
    return PhoneKind::Unknown;
}

std::string_view WithoutAffixes(std::string_view label) {
    // Apple's built-in labels come wrapped: "_$!<Mobile>!$_".
    constexpr std::string_view kPrefix = "_$!<";
    constexpr std::string_view kSuffix = ">!$_";
    if (label.starts_with(kPrefix)) {
        label.remove_prefix(kPrefix.size());
    }
    if (label.ends_with(kSuffix)) {
        label.remove_suffix(kSuffix.size());
    }
    return label;
}

// The lower-cased words of a label. A run-together "HomeFAX" also gives its
// parts, so it reads like "home fax".
std::vector<std::string> LabelWords(std::string_view label) {
    std::vector<std::string> words;
    std::string word;
    const auto finishWord = [&] {
        constexpr std::string_view kFax = "fax";
        if (word.size() > kFax.size() && word.ends_with(kFax)) {
            words.push_back(word.substr(0, word.size() - kFax.size()));
            words.emplace_back(kFax);
        }
        if (!word.empty()) {
            words.push_back(std::move(word));
        }
        word.clear();
    };
    for (const char c : WithoutAffixes(label)) {
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (letter || (c >= '0' && c <= '9') || c == '-') {
            word.push_back(letter ? static_cast<char>(c | 0x20) : c);
        } else {
            finishWord();
        }
    }
    finishWord();
    return words;
}

}  // namespace

PhoneKind ClassifyPhone(std::span<const std::string> typeTokens,
                        std::optional<std::string_view> label) {
    const PhoneKind byType = KindOfTokens(typeTokens);
    if (byType != PhoneKind::Unknown || !label) {
        return byType;
    }
    return KindOfTokens(LabelWords(*label));
}

}  // namespace mivex::contacts
