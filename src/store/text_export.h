#pragma once

// The "Export" command's file: every received and then every sent message,
// one tab-separated line each, as UTF-16LE text with a byte-order mark, for a
// spreadsheet or an editor.
//
//   Inbox<TAB>DD/MM/YY  hh:mm:ss<TAB>number<TAB>name<TAB>text<CR><LF>
//   Sent<TAB>...
//
// Inbox lines come newest first, then Sent lines newest first. Line breaks
// and tabs inside a field become single spaces, so every message keeps to its
// line and every field to its column.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "store/store.h"

namespace mivex::store {

inline constexpr std::u16string_view kDefaultExportFileName = u"Mivex Messages.txt";

// Writes the export to `path`, replacing any file there, and returns the
// number of message lines. The file is written beside the target under a
// temporary name and moved over it only once every byte is on disk, so a
// failed export (the Inbox cannot be opened, a full disk, a folder that
// cannot be written) leaves an existing file as it was and returns 0. When
// only the Sent folder cannot be opened the file holds the Inbox lines. A new
// file gets the usual mode for a user's document (0666 less the umask), a
// replaced one keeps its own. A FIFO or a device is written into, never
// replaced; see ExportFile for what is refused.
[[nodiscard]] int ExportMessages(Store& store, const std::filesystem::path& path);

struct ExportCounts {
    int written = 0;     // message lines in the file: "%d Messages Exported"
    int unreadable = 0;  // damaged records passed over; none is ever left out silently

    friend bool operator==(const ExportCounts&, const ExportCounts&) = default;
};

// Told after "%d Messages Exported" when some records could not be read:
// "%d messages could not be read and are not in the file".
inline constexpr std::u16string_view kUnreadableExportTail =
    u" messages could not be read and are not in the file";
[[nodiscard]] std::u16string UnreadableExportText(int unreadable);

// The same export, telling a failure (nothing) from an export of no messages,
// and saying how many records it had to pass over, for callers that must not
// report a failed or partial export as done.
[[nodiscard]] std::optional<ExportCounts> ExportMessagesOrFail(Store& store,
                                                               const std::filesystem::path& path);

// Replaces every CR LF, then LF CR, then lone CR, then lone LF by one space;
// returns the new length.
std::size_t FlattenLineBreaks(std::u16string& text);

// FlattenLineBreaks, then every tab to one space.
std::size_t FlattenField(std::u16string& text);

// Replaces each occurrence of `search`, scanning forward and resuming after
// each replacement. The text is not let grow to `limit` units: at the first
// replacement of another length that would take it there, the rest is left as
// it is. An empty `search` changes nothing. Returns the new length.
std::size_t ReplaceAll(std::u16string& text, std::size_t limit, std::u16string_view search,
                       std::u16string_view replacement);

}  // namespace mivex::store
