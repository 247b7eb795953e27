#include "contacts/vcard_reader.h"

// The vCard parser's headers are C and GLib; they stay in this file so no
// other part of the program sees GLib types.
#include <libebook-contacts/libebook-contacts.h>

#include <algorithm>
#include <array>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

#include "contacts/contacts_database.h"
#include "contacts/phone_kind.h"
#include "contacts/vcard_lines.h"

namespace mivex::contacts {
namespace {

constexpr char kParserLogDomain[] = "libebook-contacts";
// A parser warning may quote the rest of the card; a problem keeps this much of it.
constexpr std::size_t kMaxReasonBytes = 160;
// A card of many broken lines is still one card: this many problems say enough.
constexpr std::size_t kMaxProblemsPerCard = 10;

// The properties a card is read for; only their text has to be UTF-8.
constexpr std::array<std::string_view, 9> kReadProperties = {
    "N", "FN", "ORG", "NICKNAME", "EMAIL", "TITLE", "CATEGORIES", "TEL", "X-ABLABEL"};

// ---- The parser's warnings -------------------------------------------------

// The parser reports trouble only as GLib warnings on stderr. While
// ReadVCards runs on a thread, that thread's warnings land here instead.
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

bool IsValidUtf8(std::string_view text) {
    return g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr) != FALSE;
}

std::string_view TrimSpace(std::string_view text) {
    constexpr std::string_view kSpace = " \t\r\n";
    const std::size_t first = text.find_first_not_of(kSpace);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(kSpace) - first + 1);
}

std::string ToLowerAscii(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c | 0x20) : c; });
    return lower;
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

// ---- Cards of a file -------------------------------------------------------

bool IsReadProperty(std::string_view name) {
    return std::any_of(kReadProperties.begin(), kReadProperties.end(),
                       [name](std::string_view read) { return EqualsIgnoringCase(name, read); });
}

// The parameters of a line as written, split at the ";" outside quoted
// values; the first piece is the (grouped) property name.
std::vector<std::string_view> HeadPieces(std::string_view head) {
    std::vector<std::string_view> pieces;
    bool quoted = false;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= head.size(); ++i) {
        if (i < head.size() && head[i] == '"') {
            quoted = !quoted;
        } else if (i == head.size() || (head[i] == ';' && !quoted)) {
            pieces.push_back(head.substr(start, i - start));
            start = i + 1;
        }
    }
    return pieces;
}

// Older phones write vCard 2.1 names as raw 8-bit text in their own
// charset and say which with CHARSET=; the parser garbles such text. The
// value is converted to UTF-8 here and the parameter dropped. Nothing when
// the line names no charset or its value does not convert from it.
std::optional<std::string> WithValueInUtf8(std::string_view line) {
    bool quoted = false;
    std::size_t headEnd = 0;
    while (headEnd < line.size() && (line[headEnd] != ':' || quoted)) {
        quoted = quoted != (line[headEnd] == '"');
        ++headEnd;
    }
    if (headEnd == line.size())
        return std::nullopt;

    constexpr std::string_view kCharset = "CHARSET=";
    std::string head;
    std::string charset;
    for (const std::string_view piece : HeadPieces(line.substr(0, headEnd))) {
        if (piece.size() > kCharset.size() &&
            EqualsIgnoringCase(piece.substr(0, kCharset.size()), kCharset)) {
            charset = piece.substr(kCharset.size());
        } else {
            head.append(head.empty() ? "" : ";").append(piece);
        }
    }
    if (charset.empty())
        return std::nullopt;
    const std::string_view value = line.substr(headEnd + 1);
    gsize written = 0;
    std::unique_ptr<gchar, decltype(&g_free)> utf8(
        g_convert(value.data(), static_cast<gssize>(value.size()), "UTF-8", charset.c_str(),
                  nullptr, &written, nullptr),
        &g_free);
    if (utf8 == nullptr)
        return std::nullopt;
    return head.append(":").append(utf8.get(), written);
}

// The lines a card is read for, in UTF-8 where they name their charset.
void ConvertDeclaredCharsets(std::vector<std::string>& lines) {
    for (std::string& line : lines) {
        if (!IsReadProperty(PropertyName(line)) || IsValidUtf8(line))
            continue;
        if (std::optional<std::string> converted = WithValueInUtf8(line))
            line = std::move(*converted);
    }
}

// The parser replaces bytes that are not UTF-8 with U+FFFD before it reads
// a value, so a raw Latin-1 name would come back quietly damaged; such a
// card is refused instead.
bool ReadPropertiesAreUtf8(const std::vector<std::string>& lines) {
    return std::all_of(lines.begin(), lines.end(), [](const std::string& line) {
        return !IsReadProperty(PropertyName(line)) || IsValidUtf8(line);
    });
}

// The text the parser gets: one card, unfolded, with CRLF line ends. A
// stray BEGIN or END line would end the parser's reading early, so those go.
// So do lines that are not well-formed properties: the parser drops most of
// them anyway, and leaks memory on many ("item1.TEL", "N;A=x,B=y:z").
std::string ParserText(const std::vector<std::string>& lines, std::vector<std::string>& reasons) {
    std::string text = "BEGIN:VCARD\r\n";
    for (const std::string& line : lines) {
        const std::string_view name = PropertyName(line);
        if (!IsPropertyLine(line)) {
            reasons.emplace_back("line is not a vCard property");
        } else if (!EqualsIgnoringCase(name, "BEGIN") && !EqualsIgnoringCase(name, "END")) {
            text.append(line).append("\r\n");
        }
    }
    return text.append("END:VCARD\r\n");
}

struct ParsedCard {
    std::optional<ContactCard> card;   // nothing when a text it is read for is not UTF-8
    std::vector<std::string> reasons;  // the lines skipped on the way, why
};

ParsedCard ParseCard(const std::vector<std::string>& lines, WarningCapture& capture) {
    ParsedCard parsed;
    const std::string text = ParserText(lines, parsed.reasons);
    capture.Take();
    const CardObject card(e_vcard_new_from_string(text.c_str()));
    parsed.card = CardMapper().Map(e_vcard_get_attributes(card.get()));
    for (const std::string& warning : capture.Take()) {
        parsed.reasons.push_back(ReasonFromWarning(warning));
    }
    return parsed;
}

// A card's problems, each reason once and no more than kMaxProblemsPerCard.
void AddCardProblems(std::size_t line, const std::vector<std::string>& reasons,
                     std::vector<CardProblem>& problems) {
    std::vector<std::string_view> added;
    for (const std::string& reason : reasons) {
        if (added.size() < kMaxProblemsPerCard &&
            std::find(added.begin(), added.end(), reason) == added.end()) {
            added.push_back(reason);
            problems.push_back(CardProblem{.line = line, .reason = reason});
        }
    }
}

void ReadCard(const CardSource& source, WarningCapture& capture, VCardReadResult& result) {
    if (!source.complete) {
        result.problems.push_back({.line = source.firstLine, .reason = "card has no END:VCARD"});
        return;
    }
    std::vector<std::string> lines = UnfoldLines(source.lines);
    ConvertDeclaredCharsets(lines);
    ParsedCard parsed = ReadPropertiesAreUtf8(lines) ? ParseCard(lines, capture) : ParsedCard{};
    if (!parsed.card) {
        result.problems.push_back({.line = source.firstLine, .reason = "card is not UTF-8"});
        return;
    }
    AddCardProblems(source.firstLine, parsed.reasons, result.problems);
    result.cards.push_back(std::move(*parsed.card));
}

// Some Windows programs write their exports as UTF-16 with a byte-order
// mark; those are read as the same text in UTF-8. Nothing when the file has
// no such mark or its text does not convert.
std::optional<std::string> Utf8FromUtf16File(std::string_view fileBytes) {
    const char* encoding = fileBytes.starts_with("\xFF\xFE")   ? "UTF-16LE"
                           : fileBytes.starts_with("\xFE\xFF") ? "UTF-16BE"
                                                               : nullptr;
    if (encoding == nullptr)
        return std::nullopt;
    fileBytes.remove_prefix(2);
    gsize written = 0;
    std::unique_ptr<gchar, decltype(&g_free)> utf8(
        g_convert(fileBytes.data(), static_cast<gssize>(fileBytes.size()), "UTF-8", encoding,
                  nullptr, &written, nullptr),
        &g_free);
    if (utf8 == nullptr)
        return std::nullopt;
    return std::string(utf8.get(), written);
}

}  // namespace

VCardReadResult ReadVCards(std::string_view fileBytes) {
    const std::optional<std::string> converted = Utf8FromUtf16File(fileBytes);
    if (converted)
        fileBytes = *converted;

    VCardReadResult result;
    if (fileBytes.find('\0') != std::string_view::npos) {
        result.problems.push_back(CardProblem{.line = 1, .reason = "not a text file"});
        return result;
    }
    WarningCapture capture;
    for (const CardSource& source : SplitCards(fileBytes)) {
        ReadCard(source, capture, result);
    }
    return result;
}

}  // namespace mivex::contacts
