#include "contacts/vcard_reader.h"

#include <algorithm>
#include <array>
#include <optional>
#include <utility>

#include "contacts/evcard_card.h"
#include "contacts/glib_text.h"
#include "contacts/vcard_lines.h"

namespace mivex::contacts {
namespace {

// A card of many broken lines is still one card: this many problems say enough.
constexpr std::size_t kMaxProblemsPerCard = 10;

// The properties a card is read for; only their text has to be UTF-8.
constexpr std::array<std::string_view, 9> kReadProperties = {
    "N", "FN", "ORG", "NICKNAME", "EMAIL", "TITLE", "CATEGORIES", "TEL", "X-ABLABEL"};

bool HoldsNul(std::string_view line) {
    return line.find('\0') != std::string_view::npos;
}

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
    const std::optional<std::string> value = ConvertToUtf8(line.substr(headEnd + 1), charset);
    if (!value)
        return std::nullopt;
    return head.append(":").append(*value);
}

// Brings the lines a card is read for into UTF-8, converting those that name
// their charset. False when one is left that is not UTF-8: the parser would
// replace its bytes with U+FFFD, so a raw Latin-1 name would come back
// quietly damaged; such a card is refused instead. A line holding a NUL byte
// is left for ParserText to drop.
bool MakeReadPropertiesUtf8(std::vector<std::string>& lines) {
    for (std::string& line : lines) {
        if (!IsReadProperty(PropertyName(line)) || IsValidUtf8(line) || HoldsNul(line))
            continue;
        std::optional<std::string> converted = WithValueInUtf8(line);
        if (!converted)
            return false;
        line = std::move(*converted);
    }
    return true;
}

// The text the parser gets: one card, unfolded, with CRLF line ends. A
// stray BEGIN or END line would end the parser's reading early, so those go.
// So do lines that are not well-formed properties: the parser drops most of
// them anyway, and leaks memory on many ("item1.TEL", "N;A=x,B=y:z"). The
// parser reads a C string, so a NUL byte would end the card there; only the
// line that holds it goes.
std::string ParserText(const std::vector<std::string>& lines, std::vector<std::string>& reasons) {
    std::string text = "BEGIN:VCARD\r\n";
    for (const std::string& line : lines) {
        const std::string_view name = PropertyName(line);
        if (HoldsNul(line)) {
            reasons.emplace_back("line holds a NUL byte");
        } else if (!IsPropertyLine(line)) {
            reasons.emplace_back("line is not a vCard property");
        } else if (!EqualsIgnoringCase(name, "BEGIN") && !EqualsIgnoringCase(name, "END")) {
            text.append(line).append("\r\n");
        }
    }
    return text.append("END:VCARD\r\n");
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

void ReadCard(const CardSource& source, VCardReadResult& result) {
    if (!source.complete) {
        result.problems.push_back({.line = source.firstLine, .reason = "card has no END:VCARD"});
        return;
    }
    std::vector<std::string> lines = UnfoldLines(source.lines);
    ParsedCard parsed;
    if (MakeReadPropertiesUtf8(lines)) {
        std::vector<std::string> skipped;
        parsed = ParseCardWithEVCard(ParserText(lines, skipped));
        parsed.reasons.insert(parsed.reasons.begin(), skipped.begin(), skipped.end());
    }
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
    return ConvertToUtf8(fileBytes.substr(2), encoding);
}

}  // namespace

VCardReadResult ReadVCards(std::string_view fileBytes) {
    const std::optional<std::string> converted = Utf8FromUtf16File(fileBytes);
    if (converted)
        fileBytes = *converted;

    VCardReadResult result;
    const std::vector<CardSource> sources = SplitCards(fileBytes);
    for (const CardSource& source : sources)
        ReadCard(source, result);
    // NUL bytes and not one card: an image, or UTF-16 without its mark.
    if (sources.empty() && HoldsNul(fileBytes))
        result.problems.push_back(CardProblem{.line = 1, .reason = "not a text file"});
    return result;
}

}  // namespace mivex::contacts
