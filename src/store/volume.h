#pragma once

// The mounted volume: one SQLite connection to "smsdata.cdb", its schema, the
// statements every folder shares, write transactions, and the list of open
// folders, which it keeps in step with every change made through it.
//
// Durability: a rollback journal (TRUNCATE) with synchronous=FULL, so a write
// that returned is on the disk, and a crash or power cut at any moment leaves
// the file as it was before or after each write, never in between.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "store/folder.h"
#include "store/folder_table.h"
#include "store/sqlite_db.h"
#include "store/text_collation.h"

namespace mivex::store {

class Volume {
public:
    // Opens the file, creating it (owner-only) and its schema when absent and
    // not read-only. Null when the file cannot be opened or is not a volume of
    // this program, which is then left untouched.
    [[nodiscard]] static std::unique_ptr<Volume> Open(const std::filesystem::path& file,
                                                      bool readOnly);
    ~Volume();
    Volume(const Volume&) = delete;
    Volume& operator=(const Volume&) = delete;

    [[nodiscard]] Database& db() { return db_; }
    [[nodiscard]] const TextCollator& collator() const { return collator_; }

    // The folder's row in the folder table, added when it is not there yet.
    [[nodiscard]] std::optional<std::int64_t> FolderRow(const FolderLayout& layout);

    // Runs `body` in one transaction (a savepoint when nested).
    bool Atomically(const std::function<bool()>& body);

    // A write step: BEGIN IMMEDIATE at the outside, a savepoint inside an
    // open transaction. Rolls back unless committed.
    class WriteScope {
    public:
        explicit WriteScope(Volume& volume);
        ~WriteScope();
        WriteScope(const WriteScope&) = delete;
        WriteScope& operator=(const WriteScope&) = delete;

        [[nodiscard]] bool began() const { return began_; }
        bool Commit();
        void Rollback();

    private:
        Volume& volume_;
        int level_;
        bool began_ = false;
        bool done_ = false;
    };

    // The id a new record gets; nothing when ids are used up or on error.
    [[nodiscard]] std::optional<ObjectId> NextObjectId();
    // The record's folder row and stored bytes; false when there is none.
    bool ReadStored(ObjectId id, std::int64_t& folderRow, std::vector<std::uint8_t>& bytes);
    bool Insert(ObjectId id, std::int64_t folderRow, std::span<const std::uint8_t> dateKey,
                std::span<const std::uint8_t> nameKey, std::span<const std::uint8_t> bytes);
    bool Update(ObjectId id, std::span<const std::uint8_t> dateKey,
                std::span<const std::uint8_t> nameKey, std::span<const std::uint8_t> bytes);
    // True when the record was in that folder and is gone.
    bool Delete(ObjectId id, std::int64_t folderRow);

    // Every record id of the folder in key order.
    bool LoadOrder(SortColumn column, std::int64_t folderRow, std::vector<ObjectId>& order);
    // The record's folder row and key; false when there is no such record.
    bool KeyOf(SortColumn column, ObjectId id, std::int64_t& folderRow,
               std::vector<std::uint8_t>& key);

    // Open folders, told about every change so that their cursors stay sane.
    void Register(Folder::Impl* folder);
    void Unregister(Folder::Impl* folder);
    void BeforeChange(std::int64_t folderRow);
    void AfterChange(std::int64_t folderRow);

private:
    // Steps begin and end: open folders save their cursor and get it back
    // when the step is rolled back.
    void BeganStep(int level);
    void EndedStep(int level, bool committed);

    Volume() = default;
    bool Configure();
    // Puts the volume, known to be ours, into write-ahead-log mode.
    bool UseWriteAheadLog();
    bool EnsureSchema(bool readOnly);
    bool PrepareStatements();
    void RebuildNameKeys();
    [[nodiscard]] std::optional<std::string> ReadMeta(const char* name);
    bool NoteCollationRequest();

    Database db_;
    TextCollator collator_;
    int depth_ = 0;
    // SQLite rolled back the whole transaction itself (a full disk, an I/O
    // error) while an atomic step was still running: that step must fail.
    bool transactionLost_ = false;
    std::vector<Folder::Impl*> folders_;

    Statement readStored_;
    Statement insert_;
    Statement update_;
    Statement delete_;
    Statement nextId_;
    Statement load_[2];
    Statement keyOf_[2];
};

}  // namespace mivex::store
