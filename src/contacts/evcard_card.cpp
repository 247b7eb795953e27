#include "contacts/evcard_card.h"

// The parser's headers are C and GLib; they stay in this file and in
// glib_text.cpp, so no other part of the program sees GLib types.
#include <libebook-contacts/libebook-contacts.h>

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <utility>

#include "contacts/contacts_database.h"
#include "contacts/glib_text.h"
#include "contacts/phone_kind.h"
#include "contacts/vcard_lines.h"

namespace mivex::contacts {
namespace {

constexpr char kParserLogDomain[] = "libebook-contacts";
// A parser warning may quote the rest of the card; a problem keeps this much of it.
constexpr std::size_t kMaxReasonBytes = 160;

// ---- The parser's warnings -------------------------------------------------

// The parser reports trouble only as GLib warnings on stderr. While
// a card is parsed on a thread, that thread's warnings land here instead.
thread_local std::vector<std::string>* tWarnings = nullptr;

void CollectParserMessage(const gchar* domain, GLogLevelFlags level, const gchar* message,
                          gpointer userData) {
    constexpr int kCollected =
        G_LOG_LEVEL_ERROR | G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_WARNING | G_LOG_LEVEL_MESSAGE;
    if (tWarnings != nullptr && message != nullptr && (level & kCollected) != 0) {
        tWarnings->emplace_back(message);
        return;
    }
    g_log_default_handler(domain, level, message, userData);
}

void InstallParserLogHandler() {
    static std::once_flag installed;
    std::call_once(installed, [] {
        g_log_set_handler(
            kParserLogDomain,
            static_cast<GLogLevelFlags>(G_LOG_LEVEL_MASK | G_LOG_FLAG_FATAL | G_LOG_FLAG_RECURSION),
            CollectParserMessage, nullptr);
    });
}

// Collects the parser's warnings on this thread for as long as it lives.
class WarningCapture {
public:
    WarningCapture() : outer_(tWarnings) {
        InstallParserLogHandler();
        tWarnings = &warnings_;
    }
    ~WarningCapture() { tWarnings = outer_; }
    WarningCapture(const WarningCapture&) = delete;
    WarningCapture& operator=(const WarningCapture&) = delete;

    // The warnings since the last call, in the order they came.
    std::vector<std::string> Take() { return std::exchange(warnings_, {}); }

private:
    std::vector<std::string>* outer_;
    std::vector<std::string> warnings_;
};

// A warning as a problem reason: its first line, not too long, and only as
// far as it is valid UTF-8 (which also drops a character the cut has split).
std::string ReasonFromWarning(std::string_view warning) {
    warning = warning.substr(0, warning.find_first_of("\r\n")).substr(0, kMaxReasonBytes);
    const gchar* validEnd = nullptr;
    g_utf8_validate(warning.data(), static_cast<gssize>(warning.size()), &validEnd);
    warning = warning.substr(0, static_cast<std::size_t>(validEnd - warning.data()));
    return warning.empty() ? std::string("unreadable line") : std::string(warning);
}

// ---- Text ------------------------------------------------------------------

std::string_view TrimSpace(std::string_view text) {
    constexpr std::string_view kSpace = " \t\r\n";
    const std::size_t first = text.find_first_not_of(kSpace);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(kSpace) - first + 1);
}

// Pieces of a comma list, trimmed, empty ones left out.
std::vector<std::string_view> SplitCommas(std::string_view text) {
    std::vector<std::string_view> pieces;
    while (true) {
        const std::size_t comma = text.find(',');
        const std::string_view piece = TrimSpace(text.substr(0, comma));
        if (!piece.empty()) {
            pieces.push_back(piece);
        }
        if (comma == std::string_view::npos) {
            return pieces;
        }
        text.remove_prefix(comma + 1);
    }
}

std::u16string CutToFieldLimit(std::u16string text) {
    if (text.size() > kMaxContactFieldUnits) {
        const bool splitsPair =
            text[kMaxContactFieldUnits - 1] >= 0xD800 && text[kMaxContactFieldUnits - 1] <= 0xDBFF;
        text.resize(kMaxContactFieldUnits - (splitsPair ? 1 : 0));
    }
    return text;
}

// ---- The parser's card -----------------------------------------------------

struct ObjectUnref {
    void operator()(EVCard* card) const { g_object_unref(card); }
};
using CardObject = std::unique_ptr<EVCard, ObjectUnref>;

std::vector<std::string_view> ValuesOf(EVCardAttribute* attribute) {
    std::vector<std::string_view> values;
    for (GList* item = e_vcard_attribute_get_values(attribute); item != nullptr;
         item = item->next) {
        values.emplace_back(static_cast<const char*>(item->data));
    }
    return values;
}

// The text of a property that holds one text: the parser splits every value
// at unescaped ";", which puts them back.
std::string JoinedValue(EVCardAttribute* attribute) {
    std::string joined;
    bool first = true;
    for (const std::string_view value : ValuesOf(attribute)) {
        joined.append(first ? "" : ";").append(value);
        first = false;
    }
    return joined;
}

// The lower-cased TYPE values of a property. vCard 2.1 bare parameters
// ("TEL;CELL;PREF:") arrive as TYPE values too; a quoted 4.0 list
// (TYPE="cell,voice") arrives as one value and is split here.
std::vector<std::string> TypeTokens(EVCardAttribute* attribute) {
    std::vector<std::string> tokens;
    for (GList* item = e_vcard_attribute_get_params(attribute); item != nullptr;
         item = item->next) {
        auto* param = static_cast<EVCardAttributeParam*>(item->data);
        if (!EqualsIgnoringCase(e_vcard_attribute_param_get_name(param), "TYPE")) {
            continue;
        }
        for (GList* value = e_vcard_attribute_param_get_values(param); value != nullptr;
             value = value->next) {
            for (const std::string_view token :
                 SplitCommas(static_cast<const char*>(value->data))) {
                tokens.push_back(ToLowerAscii(token));
            }
        }
    }
    return tokens;
}

// The number of a TEL, without a "tel:" scheme. A vCard 4.0
// "tel:+1-555-0100;ext=12" reaches here without its URI parameters: the
// parser has split them off at the ";" as further values.
std::string_view NumberOf(std::string_view firstValue) {
    std::string_view number = TrimSpace(firstValue);
    constexpr std::string_view kScheme = "tel:";
    if (number.size() >= kScheme.size() &&
        EqualsIgnoringCase(number.substr(0, kScheme.size()), kScheme)) {
        number = TrimSpace(number.substr(kScheme.size()));
    }
    return number;
}

// Builds one ContactCard from the parser's attributes, turning each text
// taken into UTF-16; remembers whether every one of them was UTF-8.
class CardMapper {
public:
    std::optional<ContactCard> Map(GList* attributes) {
        for (GList* item = attributes; item != nullptr; item = item->next) {
            Label(static_cast<EVCardAttribute*>(item->data));
        }
        for (GList* item = attributes; item != nullptr; item = item->next) {
            Take(static_cast<EVCardAttribute*>(item->data));
        }
        if (!allUtf8_) {
            return std::nullopt;
        }
        return std::move(card_);
    }

private:
    std::u16string Field(std::string_view utf8) {
        utf8 = TrimSpace(utf8);
        if (utf8.empty()) {
            return {};
        }
        if (!IsValidUtf8(utf8)) {
            allUtf8_ = false;
            return {};
        }
        glong units = 0;
        std::unique_ptr<gunichar2, decltype(&g_free)> utf16(
            g_utf8_to_utf16(utf8.data(), static_cast<glong>(utf8.size()), nullptr, &units, nullptr),
            &g_free);
        if (utf16 == nullptr) {
            allUtf8_ = false;
            return {};
        }
        const auto* begin = reinterpret_cast<const char16_t*>(utf16.get());
        return CutToFieldLimit(std::u16string(begin, static_cast<std::size_t>(units)));
    }

    // Sets an empty field from the first property that gives it a text.
    void Fill(std::u16string& field, std::string_view utf8) {
        if (field.empty()) {
            field = Field(utf8);
        }
    }

    // A name component may hold several names separated by commas.
    void FillName(std::u16string& field, std::string_view component) {
        std::string joined;
        for (const std::string_view name : SplitCommas(component)) {
            joined.append(joined.empty() ? "" : " ").append(name);
        }
        Fill(field, joined);
    }

    void Label(EVCardAttribute* attribute) {
        const char* group = e_vcard_attribute_get_group(attribute);
        if (group != nullptr &&
            EqualsIgnoringCase(e_vcard_attribute_get_name(attribute), "X-ABLABEL")) {
            labels_.try_emplace(ToLowerAscii(group), JoinedValue(attribute));
        }
    }

    void Take(EVCardAttribute* attribute) {
        const std::string_view name = e_vcard_attribute_get_name(attribute);
        const std::vector<std::string_view> values = ValuesOf(attribute);
        const auto component = [&values](std::size_t index) {
            return index < values.size() ? values[index] : std::string_view{};
        };
        if (EqualsIgnoringCase(name, "N")) {
            FillName(card_.lastName, component(0));
            FillName(card_.firstName, component(1));
        } else if (EqualsIgnoringCase(name, "FN")) {
            Fill(card_.formattedName, JoinedValue(attribute));
        } else if (EqualsIgnoringCase(name, "ORG")) {
            Fill(card_.company, component(0));
            Fill(card_.department, component(1));
        } else if (EqualsIgnoringCase(name, "NICKNAME")) {
            // The parser keeps "PJ,Pietje" whole.
            const std::string joined = JoinedValue(attribute);
            const std::vector<std::string_view> nicknames = SplitCommas(joined);
            Fill(card_.nickname, nicknames.empty() ? std::string_view{} : nicknames.front());
        } else if (EqualsIgnoringCase(name, "EMAIL")) {
            Fill(card_.email, JoinedValue(attribute));
        } else if (EqualsIgnoringCase(name, "TITLE")) {
            Fill(card_.jobTitle, JoinedValue(attribute));
        } else if (EqualsIgnoringCase(name, "CATEGORIES")) {
            // The parser has split the list at unescaped commas and semicolons.
            for (const std::string_view value : values) {
                AddCategory(Field(value));
            }
        } else if (EqualsIgnoringCase(name, "TEL")) {
            AddPhone(attribute, component(0));
        }
    }

    void AddCategory(std::u16string category) {
        const auto& categories = card_.categories;
        if (!category.empty() &&
            std::find(categories.begin(), categories.end(), category) == categories.end()) {
            card_.categories.push_back(std::move(category));
        }
    }

    void AddPhone(EVCardAttribute* attribute, std::string_view value) {
        std::u16string number = Field(NumberOf(value));
        if (number.empty()) {
            return;
        }
        std::optional<std::string_view> label;
        if (const char* group = e_vcard_attribute_get_group(attribute); group != nullptr) {
            if (const auto found = labels_.find(ToLowerAscii(group)); found != labels_.end()) {
                label = found->second;
            }
        }
        card_.phones.push_back(CardPhone{.number = std::move(number),
                                         .kind = ClassifyPhone(TypeTokens(attribute), label)});
    }

    ContactCard card_;
    std::map<std::string, std::string> labels_;  // X-ABLabel by lower-cased group
    bool allUtf8_ = true;
};

}  // namespace

ParsedCard ParseCardWithEVCard(const std::string& text) {
    WarningCapture capture;
    const CardObject card(e_vcard_new_from_string(text.c_str()));
    ParsedCard parsed;
    parsed.card = CardMapper().Map(e_vcard_get_attributes(card.get()));
    for (const std::string& warning : capture.Take())
        parsed.reasons.push_back(ReasonFromWarning(warning));
    return parsed;
}

}  // namespace mivex::contacts
