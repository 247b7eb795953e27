#include "contacts/vcard_lines.h"

#include <algorithm>

namespace mivex::contacts {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c | 0x20) : c;
}

bool IsWordChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_';
}

bool IsFoldSpace(char c) {
    return c == ' ' || c == '\t';
}

std::string_view TrimTrailingSpace(std::string_view text) {
    while (!text.empty() && IsFoldSpace(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

bool IsBeginCard(std::string_view line) {
    return EqualsIgnoringCase(TrimTrailingSpace(line), "BEGIN:VCARD");
}

bool IsEndCard(std::string_view line) {
    return EqualsIgnoringCase(TrimTrailingSpace(line), "END:VCARD");
}

// The part of a line after the property name and its parameters.
std::string_view ValueOf(std::string_view line) {
    const std::size_t colon = line.find(':');
    return colon == std::string_view::npos ? std::string_view{} : line.substr(colon + 1);
}

// A vCard 2.1 AGENT written as "AGENT:" followed by a whole card on the next lines.
bool OpensEmbeddedCard(std::string_view line) {
    return line.find(':') != std::string_view::npos &&
           EqualsIgnoringCase(PropertyName(line), "AGENT") &&
           TrimTrailingSpace(ValueOf(line)).empty();
}

bool IsQuotedPrintable(std::string_view line) {
    constexpr std::string_view kQuotedPrintable = "quoted-printable";
    return ToLowerAscii(line.substr(0, line.find(':'))).find(kQuotedPrintable) != std::string::npos;
}

// Splits text into lines at CRLF, LF or CR.
class LineReader {
public:
    explicit LineReader(std::string_view text) : rest_(text) {}

    bool Next(std::string_view& line) {
        if (rest_.empty()) {
            return false;
        }
        const std::size_t end = rest_.find_first_of("\r\n");
        line = rest_.substr(0, end);
        if (end == std::string_view::npos) {
            rest_ = {};
        } else {
            const bool crlf =
                rest_[end] == '\r' && end + 1 < rest_.size() && rest_[end + 1] == '\n';
            rest_.remove_prefix(end + (crlf ? 2 : 1));
        }
        ++number_;
        return true;
    }

    std::size_t number() const { return number_; }

private:
    std::string_view rest_;
    std::size_t number_ = 0;
};

}  // namespace

std::string ToLowerAscii(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), AsciiLower);
    return lower;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return AsciiLower(x) == AsciiLower(y);
           });
}

std::string_view PropertyName(std::string_view line) {
    std::string_view name = line.substr(0, line.find_first_of(";:"));
    const std::size_t dot = name.rfind('.');
    if (dot != std::string_view::npos) {
        name.remove_prefix(dot + 1);
    }
    return name;
}

bool IsPropertyLine(std::string_view line) {
    std::size_t at = 0;
    const auto skipWord = [&] {
        const std::size_t start = at;
        while (at < line.size() && IsWordChar(line[at])) {
            ++at;
        }
        return at > start;
    };
    const auto next = [&](char c) { return at < line.size() && line[at] == c; };
    // [group "."] name
    if (!skipWord()) {
        return false;
    }
    if (next('.')) {
        ++at;
        if (!skipWord()) {
            return false;
        }
    }
    // *(";" [param-name ["=" param-value *("," param-value)]])
    while (next(';')) {
        ++at;
        if (!skipWord() || !next('=')) {
            continue;
        }
        do {
            ++at;
            if (next('"')) {
                const std::size_t close = line.find('"', at + 1);
                if (close == std::string_view::npos) {
                    return false;
                }
                at = close + 1;
            } else {
                at = std::min(line.find_first_of(";:,\"=", at), line.size());
            }
        } while (next(','));
    }
    return next(':');
}

std::vector<CardSource> SplitCards(std::string_view file) {
    if (file.starts_with(kByteOrderMark)) {
        file.remove_prefix(kByteOrderMark.size());
    }
    std::vector<CardSource> cards;
    // 0 outside any card, 1 inside a top-level card, more inside embedded ones.
    std::size_t depth = 0;
    std::string_view previous;
    LineReader reader(file);
    for (std::string_view line; reader.Next(line); previous = line) {
        if (IsBeginCard(line)) {
            if (depth > 0 && OpensEmbeddedCard(previous)) {
                ++depth;
                continue;
            }
            cards.emplace_back().firstLine = reader.number();
            depth = 1;
        } else if (depth > 0 && IsEndCard(line)) {
            if (--depth == 0) {
                cards.back().complete = true;
            }
        } else if (depth == 1) {
            cards.back().lines.push_back(line);
        }
    }
    return cards;
}

std::vector<std::string> UnfoldLines(std::span<const std::string_view> lines) {
    std::vector<std::string> logical;
    // Whether the current logical line has reached its value yet, and is
    // quoted-printable; both settle once, at its first ':'.
    bool inValue = false;
    bool quotedPrintable = false;
    bool softBreak = false;
    for (std::string_view line : lines) {
        const bool folded = !line.empty() && IsFoldSpace(line.front());
        if (!logical.empty() && (softBreak || folded)) {
            if (folded) {
                line.remove_prefix(1);
            }
            logical.back().append(line);
        } else {
            logical.emplace_back(line);
            inValue = false;
            quotedPrintable = false;
        }
        if (!inValue && line.find(':') != std::string_view::npos) {
            inValue = true;
            quotedPrintable = IsQuotedPrintable(logical.back());
        }
        softBreak = quotedPrintable && logical.back().back() == '=';
        if (softBreak) {
            logical.back().pop_back();
        }
    }
    std::erase_if(logical, [](const std::string& line) { return line.empty(); });
    return logical;
}

}  // namespace mivex::contacts
