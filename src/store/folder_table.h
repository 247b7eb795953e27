#pragma once

// The four folders of the volume, their fixed sort orders, and the sort keys
// stored with each record.
//
// Every folder orders its records by one of two key columns, ascending as
// bytes. A key is the record's sort value followed by its object id (four
// octets, big-endian), so keys are unique within a folder and records with
// equal sort values come out in the order they were written:
//   date order:  00, then the complement of the FILETIME big-endian (newest
//                first); or 01 when the record lacks the date property
//   name order:  00, then the collation key of the string (ending in 00); or
//                01 when the record lacks the string property
//   no order:    the object id alone (the "Options" folder: first written first)
// A record that lacks the sort property therefore sorts after all others.

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "store/property.h"
#include "store/text_collation.h"

namespace mivex::store {

struct FolderLayout {
    std::u16string_view name;
    std::string_view storedName;  // the name in the file's folder table
    PropId dateProperty;          // the first sort order, 0 for none
    PropId nameProperty;          // the second sort order, 0 for none
    bool autoAdvance;             // reads move the cursor on
};

// Which key column a folder is read by.
enum class SortColumn { Date = 0, Name = 1 };

// The folder of that exact name, or null.
[[nodiscard]] const FolderLayout* FindFolderLayout(std::u16string_view name);

// The key column for opening `layout` with `sortProperty`: 0 means the first
// sort order; a property that is none of the folder's sort orders gives nothing.
// A folder without sort orders takes any property and orders by object id.
[[nodiscard]] std::optional<SortColumn> SortColumnFor(const FolderLayout& layout,
                                                      PropId sortProperty);

// The two keys of a record with these properties and this id.
void MakeRecordKeys(const FolderLayout& layout, std::span<const PropVal> props, ObjectId id,
                    const TextCollator& collator, std::vector<std::uint8_t>& dateKey,
                    std::vector<std::uint8_t>& nameKey);

// The name key alone, for rebuilding keys when the collation changed.
void MakeNameKey(const FolderLayout& layout, std::span<const PropVal> props, ObjectId id,
                 const TextCollator& collator, std::vector<std::uint8_t>& nameKey);

[[nodiscard]] std::span<const FolderLayout> AllFolderLayouts();

}  // namespace mivex::store
