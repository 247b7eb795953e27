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
    // sort order. Returns the id read, 0 at the end or on failure.
    ObjectId ReadRecord(PropArray& props);
    // Reads only the listed properties of the record under the cursor, one
    // entry per id in that order; a property the record lacks comes back with
    // kPropNotFound set. Does not advance. Returns the id, 0 when there is no record.
    ObjectId ReadProps(std::span<const PropId> ids, PropArray& props);

    // id 0 writes a new record with exactly these properties; an existing id
    // replaces the given properties and keeps the others. Durable on return.
    // Returns the id written, 0 on failure (nothing changed then).
    ObjectId WriteRecord(ObjectId id, std::span<const PropVal> props);
    // Returns true when the record was deleted.
    bool DeleteRecord(ObjectId id);

    // Runs `body` as one atomic, durable step: every write and delete inside
    // it lands, or none does. `body` returns false to roll back. Nests.
    bool Atomically(const std::function<bool()>& body);

    [[nodiscard]] std::u16string_view Name() const;
    [[nodiscard]] PropId SortProperty() const;

    class Impl;

private:
    friend class Store;
    explicit Folder(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace mivex::store
