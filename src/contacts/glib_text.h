#pragma once

// Text checks and charset conversions, done by GLib (which the vCard parser
// brings along anyway).

#include <optional>
#include <string>
#include <string_view>

namespace mivex::contacts {

[[nodiscard]] bool IsValidUtf8(std::string_view text);

// `bytes` in the charset `encoding` (an iconv name: "ISO-8859-1",
// "UTF-16LE") as UTF-8; nothing when the charset is unknown or the bytes
// are not text in it.
[[nodiscard]] std::optional<std::string> ConvertToUtf8(std::string_view bytes,
                                                       const std::string& encoding);

}  // namespace mivex::contacts
