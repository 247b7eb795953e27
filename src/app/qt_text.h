#pragma once

// The core keeps text as UTF-16 in standard strings; Qt keeps it as UTF-16 in
// QString. Both ways are a copy of the units, unpaired surrogates included.

#include <QString>
#include <string>
#include <string_view>

namespace mivex::app {

[[nodiscard]] inline QString ToQString(std::u16string_view text) {
    return QString(reinterpret_cast<const QChar*>(text.data()),
                   static_cast<qsizetype>(text.size()));
}

[[nodiscard]] inline std::u16string ToU16(const QString& text) {
    return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())};
}

}  // namespace mivex::app
