#pragma once

// The workings of an open folder: a cursor over the folder's records in the
// chosen key order.
//
// The cursor is the key of the record under it (keys are unique), or the
// end. The record under the cursor is the first one whose key is not below
// that key, which makes the cursor behave sanely while records change:
// - a record written before the cursor does not move it off its record;
//   one written after it is reached by reading on;
// - deleting the record under the cursor leaves it on the record that
//   followed; a rewrite that moves that record elsewhere does the same (if it
//   moved further on, it is read again there);
// - at the end, the cursor stays at the end.
// When an atomic step (or a single write) is rolled back, the cursor goes back
// to where it was when the step began.
//
// Positions (SeekBeginning's offset, SeekToId's index) come from a snapshot of
// the folder's ids in order, loaded on first need and after changes. Reading
// in order streams rows from one running SELECT, as fast as a bare query;
// seeks and changes restart it at the cursor's key. Nothing of this costs more
// than O(log n) per change, so bulk writes into an open folder stay fast.

#include <cstdint>
#include <span>
#include <vector>

#include "store/folder.h"
#include "store/folder_table.h"
#include "store/sqlite_db.h"

namespace mivex::store {

class Store;
class Volume;

class Folder::Impl {
public:
    Impl(Store& store, Volume& volume, const FolderLayout& layout, std::int64_t folderRow,
         SortColumn column, PropId sortProperty);
    ~Impl();
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;

    [[nodiscard]] bool Prepared() const { return streamAll_.valid() && streamFrom_.valid(); }

    ObjectId SeekBeginning(std::uint32_t offset);
    ObjectId SeekToId(ObjectId id, std::uint32_t* index);
    ObjectId SeekForward(std::uint32_t count);
    RecordRead ReadRecord(PropArray& props);
    ObjectId ReadProps(std::span<const PropId> ids, PropArray& props);
    ObjectId WriteRecord(ObjectId id, std::span<const PropVal> props);
    bool DeleteRecord(ObjectId id);
    bool Atomically(const std::function<bool()>& body);

    [[nodiscard]] const FolderLayout& layout() const { return layout_; }
    [[nodiscard]] PropId sortProperty() const { return sortProperty_; }
    [[nodiscard]] std::int64_t folderRow() const { return folderRow_; }
    [[nodiscard]] SortColumn column() const { return column_; }

    // CloseFolder unmounts itself, to return the unmount's result.
    void KeepMountOnClose() { unmountOnClose_ = false; }

    // Notifications from the volume.
    void BeforeChange();
    void AfterChange();
    void SaveCursor(int level);
    void ForgetCursor(int level);
    void RestoreCursor(int level);
    // The volume is closing: every later call fails.
    void Orphan();

private:
    // Where the cursor is. `keyKnown` or `positionKnown` (or `atEnd`) always
    // holds; `id` is the record under it when known, 0 otherwise.
    struct Cursor {
        bool atEnd = true;
        bool keyKnown = false;
        std::vector<std::uint8_t> key;
        bool positionKnown = true;
        std::size_t position = 0;
        ObjectId id = 0;
    };

    bool EnsureSnapshot();
    // Makes cursor_.position valid; false on error.
    bool EnsurePosition();
    // Makes cursor_.key valid (or atEnd); false on error.
    bool EnsureKey();
    // Puts the cursor on position `index` of the snapshot.
    ObjectId PlaceAt(std::size_t index);
    [[nodiscard]] std::size_t IndexOf(ObjectId id, std::size_t hint) const;

    // Puts the stream on the record under the cursor; false on error.
    // Afterwards streamHasRow_ says whether there is one.
    bool StreamAtCursor();
    bool StepStream();
    // The cursor moves to the row the stream has just reached.
    void FollowStream();
    void DropStream();

    Store* store_;
    Volume* volume_;
    const FolderLayout& layout_;
    std::int64_t folderRow_;
    SortColumn column_;
    PropId sortProperty_;
    bool unmountOnClose_ = true;

    Cursor cursor_;
    // The cursor when each open step began.
    std::vector<std::pair<int, Cursor>> saved_;

    std::vector<ObjectId> snapshot_;
    bool snapshotValid_ = false;

    Statement streamAll_;
    Statement streamFrom_;
    Statement* stream_ = nullptr;  // the running one, or null
    bool streamAtCursor_ = false;  // its row is the record under the cursor
    bool streamHasRow_ = false;

    PropArray scratch_;
    std::vector<std::uint8_t> bytes_;
    std::vector<std::uint8_t> dateKey_;
    std::vector<std::uint8_t> nameKey_;
    std::vector<std::uint8_t> probeKey_;
};

}  // namespace mivex::store
