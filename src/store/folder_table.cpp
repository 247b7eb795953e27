#include "store/folder_table.h"

#include "store/store.h"

namespace mivex::store {

namespace {

constexpr FolderLayout kFolders[] = {
    {kInboxName, "Inbox", kInboxByDate, kInboxBySender, true},
    {kOutboxName, "Outbox", kOutboxByDate, 0, true},
    {kSentName, "Sent", kSentByDate, kSentByRecipient, true},
    {kOptionsName, "Options", 0, 0, false},
};

constexpr std::uint8_t kPresent = 0x00;
constexpr std::uint8_t kMissing = 0x01;

const PropVal* FindExact(std::span<const PropVal> props, PropId id) {
    for (const PropVal& prop : props) {
        if (prop.id == id)
            return &prop;
    }
    return nullptr;
}

void AppendId(ObjectId id, std::vector<std::uint8_t>& key) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        key.push_back(static_cast<std::uint8_t>(id >> shift));
    }
}

void MakeDateKey(const FolderLayout& layout, std::span<const PropVal> props, ObjectId id,
                 std::vector<std::uint8_t>& key) {
    key.clear();
    if (layout.dateProperty != 0) {
        if (const PropVal* prop = FindExact(props, layout.dateProperty); prop != nullptr) {
            key.push_back(kPresent);
            const std::uint64_t descending = ~prop->fileTime;
            for (int shift = 56; shift >= 0; shift -= 8) {
                key.push_back(static_cast<std::uint8_t>(descending >> shift));
            }
        } else {
            key.push_back(kMissing);
        }
    }
    AppendId(id, key);
}

}  // namespace

const FolderLayout* FindFolderLayout(std::u16string_view name) {
    for (const FolderLayout& layout : kFolders) {
        if (layout.name == name)
            return &layout;
    }
    return nullptr;
}

std::span<const FolderLayout> AllFolderLayouts() {
    return kFolders;
}

std::optional<SortColumn> SortColumnFor(const FolderLayout& layout, PropId sortProperty) {
    if (layout.dateProperty == 0 && layout.nameProperty == 0)
        return SortColumn::Date;
    if (sortProperty == 0 || sortProperty == layout.dateProperty)
        return SortColumn::Date;
    if (layout.nameProperty != 0 && sortProperty == layout.nameProperty)
        return SortColumn::Name;
    return std::nullopt;
}

void MakeNameKey(const FolderLayout& layout, std::span<const PropVal> props, ObjectId id,
                 const TextCollator& collator, std::vector<std::uint8_t>& nameKey) {
    nameKey.clear();
    if (layout.nameProperty != 0) {
        if (const PropVal* prop = FindExact(props, layout.nameProperty); prop != nullptr) {
            nameKey.push_back(kPresent);
            collator.AppendSortKey(prop->text, nameKey);
        } else {
            nameKey.push_back(kMissing);
        }
    }
    AppendId(id, nameKey);
}

void MakeRecordKeys(const FolderLayout& layout, std::span<const PropVal> props, ObjectId id,
                    const TextCollator& collator, std::vector<std::uint8_t>& dateKey,
                    std::vector<std::uint8_t>& nameKey) {
    MakeDateKey(layout, props, id, dateKey);
    MakeNameKey(layout, props, id, collator, nameKey);
}

}  // namespace mivex::store
