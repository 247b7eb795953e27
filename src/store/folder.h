#pragma once

// One open folder (database) of the volume: a cursor over its records in the
// sort order it was opened with, and the record-level operations.

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string_view>

#include "store/property.h"

namespace mivex::store {

class Store;

// What a read of the record under the cursor found. A damaged record (bytes
// that do not decode: a bad sector, a restored backup) is told apart from the
// end, so that a scan passes over it and goes on; nothing of it is in the
// property array then.
struct [[nodiscard]] RecordRead {
    enum class Kind {
        Record,   // read whole
        Damaged,  // there, but unreadable; the cursor moved past it as after a read
        End,      // no record under the cursor
        Failed,   // the store itself failed; nothing further can be read
    };
    Kind kind = Kind::End;
    ObjectId id = 0;  // the record under the cursor, read or damaged; 0 otherwise

    [[nodiscard]] bool Readable() const { return kind == Kind::Record; }
    [[nodiscard]] bool Damaged() const { return kind == Kind::Damaged; }
    [[nodiscard]] bool End() const { return kind == Kind::End || kind == Kind::Failed; }
    // The record `expected` was read whole.
    [[nodiscard]] bool Read(ObjectId expected) const { return Readable() && id == expected; }
};

class Folder {
public:
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
    ~Folder();

    // Positions after `offset` records from the first; returns the id of the
    // record now under the cursor, 0 when there is none (an empty folder, or
    // past the end).
    ObjectId SeekBeginning(std::uint32_t offset = 0);
    // Positions on the record; returns its id and sets `index` to its position
    // (0 for the first), or returns 0 when there is no such record here.
    ObjectId SeekToId(ObjectId id, std::uint32_t* index = nullptr);
    // Moves `count` records forward; returns the id under the cursor or 0 at the end.
    ObjectId SeekForward(std::uint32_t count = 1);

    // Reads every property of the record under the cursor into `props`, in
    // the order they were written, reusing the vector's storage. In folders
    // opened with auto-advance the cursor then moves to the next record in
    // sort order, past a damaged record too.
    RecordRead ReadRecord(PropArray& props);
    // Reads only the listed properties of the record under the cursor, one
    // entry per id in that order; a property the record lacks comes back with
    // kPropNotFound set. Does not advance. Returns the id, 0 when there is no
    // record or it is damaged.
    [[nodiscard]] ObjectId ReadProps(std::span<const PropId> ids, PropArray& props);

    // id 0 writes a new record with exactly these properties; an existing id
    // replaces the given properties and keeps the others. Durable on return.
    // Returns the id written, 0 on failure (nothing changed then).
    [[nodiscard]] ObjectId WriteRecord(ObjectId id, std::span<const PropVal> props);
    // Returns true when the record was deleted.
    [[nodiscard]] bool DeleteRecord(ObjectId id);

    // Runs `body` as one atomic, durable step: every write and delete inside
    // it lands, or none does. `body` returns false to roll back. Nests.
    [[nodiscard]] bool Atomically(const std::function<bool()>& body);

    [[nodiscard]] std::u16string_view Name() const;
    [[nodiscard]] PropId SortProperty() const;

    class Impl;

private:
    friend class Store;
    explicit Folder(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

// Reads every record of a folder opened with auto-advance, from the first in
// its sort order, and hands each one read whole to `visit`(id, props). A
// damaged record is passed over, neither deleted nor rewritten, and the scan
// goes on; a store that fails ends the scan. Returns how many records could
// not be read (a failed store counts as one).
template <typename Visit>
std::size_t ScanRecords(Folder& folder, PropArray& props, Visit&& visit) {
    std::size_t unreadable = 0;
    if (folder.SeekBeginning() == 0)
        return 0;
    for (;;) {
        const RecordRead read = folder.ReadRecord(props);
        if (read.Readable()) {
            visit(read.id, props);
        } else if (read.Damaged()) {
            ++unreadable;
        } else {
            return unreadable + (read.kind == RecordRead::Kind::Failed ? 1 : 0);
        }
    }
}

}  // namespace mivex::store
