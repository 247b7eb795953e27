#pragma once

// The line structure of .vcf text, below any vCard parser: where the cards
// of a file begin and end, and how their folded lines join up. Pure text
// work, so the reader can hand one clean card at a time to the parser.

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace mivex::contacts {

// One top-level card as it stands in the file.
struct CardSource {
    std::size_t firstLine = 0;            // 1-based line of its BEGIN:VCARD
    std::vector<std::string_view> lines;  // the lines between BEGIN and END, without line breaks
    bool complete = false;                // closed by its own END:VCARD
};

// The top-level cards of a file in file order. Lines end at CRLF, LF or CR;
// BEGIN:VCARD and END:VCARD match in any case, at the start of a line. A UTF-8
// byte-order mark at the start is skipped and text outside cards is ignored.
// A card embedded after an empty AGENT property stays inside its parent but
// its lines are left out; any other BEGIN:VCARD inside a card starts the next
// card and leaves the open one incomplete.
[[nodiscard]] std::vector<CardSource> SplitCards(std::string_view file);

// The logical lines of a card. A line break followed by one space or tab is
// removed (a fold); in a quoted-printable value a trailing "=" joins the next
// line (a soft line break), dropping one space or tab that starts it. Empty
// lines are left out.
[[nodiscard]] std::vector<std::string> UnfoldLines(std::span<const std::string_view> lines);

// The property name of a line without its group: "TEL" for
// "item1.TEL;TYPE=CELL:+1 555 0100", as written.
[[nodiscard]] std::string_view PropertyName(std::string_view line);

// Whether a line has the shape of a property: a name (optionally after a
// group and "."), parameters after ";" with values plain or in double
// quotes, then ":" and the value. Names are ASCII letters, digits, "-", "_".
[[nodiscard]] bool IsPropertyLine(std::string_view line);

// vCard names, parameters and types compare without regard to ASCII case.
[[nodiscard]] std::string ToLowerAscii(std::string_view text);
// ASCII-only case-insensitive equality, as vCard names and types compare.
[[nodiscard]] bool EqualsIgnoringCase(std::string_view a, std::string_view b);

}  // namespace mivex::contacts
