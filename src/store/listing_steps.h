#pragma once

// Steps the three folder lists share.

#include <cstddef>
#include <string_view>

#include "store/folder.h"
#include "store/folder_listing.h"
#include "store/property.h"

namespace mivex::store::listing {

// The record behind a row, read by the row's object id; false when it is gone
// or cannot be read.
[[nodiscard]] bool ReadRowRecord(Folder& folder, const platform::ListControl& list, std::size_t row,
                                 PropArray& props);

[[nodiscard]] inline bool HasShape(const PropArray& props, std::size_t propCount) {
    return props.size() == propCount;
}

// A string property of a read, empty when absent.
[[nodiscard]] std::u16string_view StringProp(const PropArray& props, std::uint16_t number);

void ShowRowCount(const FolderViewControls& view);
void ClearStatus(platform::StatusSink& status);

// Shows the first selected row's text and number; the read stays in `props`
// for the caller. Returns the row shown, or the row count when none was.
std::size_t ShowSelected(const FolderViewControls& view, Folder& folder, std::size_t propCount,
                         std::uint16_t textProp, std::uint16_t numberProp, PropArray& props);

// The Inbox empties the status strip with every row it removes, the other
// folders once at the end.
enum class StatusClearing { EachRow, Once };

// Asks, then deletes the selected rows' records and removes the rows of the
// records deleted. 1 when confirmed, else 0.
int DeleteSelected(const FolderViewControls& view, Folder& folder, StatusClearing clearing);

}  // namespace mivex::store::listing
