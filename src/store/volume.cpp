#include "store/volume.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>

#include "platform/paths.h"
#include "store/folder_impl.h"
#include "store/record_codec.h"

namespace mivex::store {

namespace {

// "MVX1" in the file header marks a volume of this program; a database
// without it is someone else's and is never written to.
constexpr std::int64_t kApplicationId = 0x4D565831;
constexpr std::int64_t kSchemaVersion = 1;

constexpr const char* kSchema = R"sql(
CREATE TABLE folders(
    id INTEGER PRIMARY KEY,
    name TEXT NOT NULL UNIQUE
);
CREATE TABLE records(
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    folder INTEGER NOT NULL REFERENCES folders(id),
    date_key BLOB NOT NULL,
    name_key BLOB NOT NULL,
    props BLOB NOT NULL
);
CREATE INDEX records_by_date ON records(folder, date_key);
CREATE INDEX records_by_name ON records(folder, name_key);
CREATE TABLE meta(
    name TEXT PRIMARY KEY,
    value TEXT NOT NULL
) WITHOUT ROWID;
)sql";

const char* KeyColumn(SortColumn column) {
    return column == SortColumn::Date ? "date_key" : "name_key";
}

// A new file gets owner-only permissions whatever the umask; SQLite gives its
// journal the same permissions as the file. The folder is synced so that the
// file's name, too, survives a power cut after the first write.
bool CreateOwnerOnlyFile(const std::filesystem::path& file) {
    const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return errno == EEXIST;
    const bool ok = ::fchmod(fd, 0600) == 0;
    ::close(fd);
    platform::SyncDirectory(file.parent_path());
    return ok;
}

}  // namespace

std::unique_ptr<Volume> Volume::Open(const std::filesystem::path& file, bool readOnly) {
    std::error_code error;
    if (readOnly ? !std::filesystem::exists(file, error) : !CreateOwnerOnlyFile(file)) {
        return nullptr;
    }
    std::unique_ptr<Volume> volume(new Volume());
    if (volume->db_.Open(file.string(), readOnly) != SQLITE_OK || !volume->Configure() ||
        !volume->EnsureSchema(readOnly) || (!readOnly && !volume->UseWriteAheadLog()) ||
        !volume->PrepareStatements()) {
        return nullptr;
    }
    volume->RebuildNameKeys();
    return volume;
}

Volume::~Volume() {
    // Folders left open lose their statements before the connection goes.
    for (Folder::Impl* folder : std::vector<Folder::Impl*>(folders_))
        folder->Orphan();
    folders_.clear();
}

bool Volume::Configure() {
    sqlite3* handle = db_.handle();
    sqlite3_db_config(handle, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_busy_timeout(handle, 5000);
    // The first read of the header: a file that is not a database fails here,
    // before anything could be written to it. The journal mode is stored in
    // the file, so it is chosen only once the file is known to be ours.
    int rc = SQLITE_OK;
    (void)db_.QueryInt("PRAGMA application_id", 0, &rc);
    if (rc != SQLITE_OK)
        return false;
    return db_.Execute("PRAGMA synchronous=FULL; PRAGMA cell_size_check=ON;") == SQLITE_OK;
}

bool Volume::UseWriteAheadLog() {
    // A commit appends to the log and syncs it once, where the rollback
    // journal took about five syncs; with synchronous=FULL every commit is
    // still on disk when it returns. The log is folded back into the file
    // as it grows and when the last connection closes.
    Statement mode = db_.Prepare("PRAGMA journal_mode=WAL");
    if (!mode.valid() || mode.Step() != SQLITE_ROW)
        return false;
    const std::span<const std::uint8_t> name = mode.ColumnBlob(0);
    return std::string_view(reinterpret_cast<const char*>(name.data()), name.size()) == "wal";
}

bool Volume::EnsureSchema(bool readOnly) {
    int rc = SQLITE_OK;
    const std::int64_t applicationId = db_.QueryInt("PRAGMA application_id", 0, &rc);
    if (rc != SQLITE_OK)
        return false;
    if (applicationId == kApplicationId) {
        const std::int64_t version = db_.QueryInt("PRAGMA user_version", 0, &rc);
        return rc == SQLITE_OK && version >= 1 && version <= kSchemaVersion;
    }
    if (applicationId != 0 || readOnly)
        return false;
    // Only an empty database becomes a volume; one with tables of its own is
    // another program's and stays as it is.
    if (db_.Execute("BEGIN IMMEDIATE") != SQLITE_OK)
        return false;
    const std::int64_t objects = db_.QueryInt("SELECT count(*) FROM sqlite_schema", -1, &rc);
    bool created = rc == SQLITE_OK && objects == 0 && db_.Execute(kSchema) == SQLITE_OK;
    if (created) {
        Statement identity = db_.Prepare("INSERT INTO meta VALUES('collation', ?1)");
        identity.BindText(1, collator_.Identity());
        created = identity.valid() && identity.Step() == SQLITE_DONE;
    }
    created = created &&
              db_.Execute(("PRAGMA application_id=" + std::to_string(kApplicationId)).c_str()) ==
                  SQLITE_OK &&
              db_.Execute(("PRAGMA user_version=" + std::to_string(kSchemaVersion)).c_str()) ==
                  SQLITE_OK &&
              db_.Execute("COMMIT") == SQLITE_OK;
    if (!created && db_.InTransaction())
        db_.Execute("ROLLBACK");
    return created;
}

bool Volume::PrepareStatements() {
    readStored_ = db_.Prepare("SELECT folder, props FROM records WHERE id = ?1");
    insert_ = db_.Prepare(
        "INSERT INTO records(id, folder, date_key, name_key, props) VALUES(?1, ?2, ?3, ?4, ?5)");
    update_ =
        db_.Prepare("UPDATE records SET date_key = ?2, name_key = ?3, props = ?4 WHERE id = ?1");
    delete_ = db_.Prepare("DELETE FROM records WHERE id = ?1 AND folder = ?2");
    // Never below an id once given out, even after the highest record was deleted.
    nextId_ = db_.Prepare(
        "SELECT max(coalesce((SELECT seq FROM sqlite_sequence WHERE name = 'records'), 0), "
        "coalesce((SELECT max(id) FROM records), 0)) + 1");
    bool ok = readStored_.valid() && insert_.valid() && update_.valid() && delete_.valid() &&
              nextId_.valid();
    for (SortColumn column : {SortColumn::Date, SortColumn::Name}) {
        const std::string key = KeyColumn(column);
        const auto c = static_cast<int>(column);
        load_[c] = db_.Prepare("SELECT id FROM records WHERE folder = ?1 ORDER BY " + key);
        keyOf_[c] = db_.Prepare("SELECT folder, " + key + " FROM records WHERE id = ?1");
        ok = ok && load_[c].valid() && keyOf_[c].valid();
    }
    return ok;
}

std::optional<std::string> Volume::ReadMeta(const char* name) {
    Statement read = db_.Prepare("SELECT value FROM meta WHERE name = ?1");
    if (!read.valid())
        return std::nullopt;
    read.BindText(1, name);
    if (read.Step() != SQLITE_ROW)
        return std::nullopt;
    const auto value = read.ColumnBlob(0);
    return std::string(value.begin(), value.end());
}

void Volume::RebuildNameKeys() {
    // Only the collator knows its identity, and opening it costs more than
    // the rest of a mount. The file also notes the request that last gave
    // the stored identity, so a mount under the same request opens none. A
    // program that rewrote the keys without that note leaves it stale, and
    // then the identities are compared.
    const std::optional<std::string> stored = ReadMeta("collation");
    if (stored && ReadMeta("collation request") == collator_.Request() + '\n' + *stored)
        return;
    if (stored && *stored == collator_.Identity()) {
        if (!db_.IsReadOnly())
            (void)NoteCollationRequest();
        return;
    }
    if (db_.IsReadOnly())
        return;  // the old keys still give one consistent order

    // Collect first, update after: the scan must not see its own updates.
    struct Rekey {
        ObjectId id;
        std::vector<std::uint8_t> key;
    };
    std::vector<Rekey> rekeys;
    PropArray props;
    Statement scan = db_.Prepare("SELECT id, folder, props FROM records");
    Statement folders = db_.Prepare("SELECT id, name FROM folders");
    if (!scan.valid() || !folders.valid())
        return;
    std::vector<std::pair<std::int64_t, const FolderLayout*>> specs;
    while (folders.Step() == SQLITE_ROW) {
        const auto name = folders.ColumnBlob(1);
        const std::string_view text(reinterpret_cast<const char*>(name.data()), name.size());
        for (const FolderLayout& layout : AllFolderLayouts()) {
            if (layout.storedName == text && layout.nameProperty != 0) {
                specs.emplace_back(folders.ColumnInt(0), &layout);
            }
        }
    }
    while (scan.Step() == SQLITE_ROW) {
        const std::int64_t folder = scan.ColumnInt(1);
        const auto layout = std::find_if(specs.begin(), specs.end(), [folder](const auto& entry) {
            return entry.first == folder;
        });
        if (layout == specs.end() || !DecodeRecord(scan.ColumnBlob(2), props))
            continue;
        Rekey rekey{static_cast<ObjectId>(scan.ColumnInt(0)), {}};
        MakeNameKey(*layout->second, props, rekey.id, collator_, rekey.key);
        rekeys.push_back(std::move(rekey));
    }
    scan.Reset();

    Statement setKey = db_.Prepare("UPDATE records SET name_key = ?2 WHERE id = ?1");
    Statement setIdentity =
        db_.Prepare("INSERT OR REPLACE INTO meta(name, value) VALUES('collation', ?1)");
    if (!setKey.valid() || !setIdentity.valid())
        return;
    WriteScope scope(*this);
    if (!scope.began())
        return;
    for (const Rekey& rekey : rekeys) {
        setKey.BindInt(1, rekey.id);
        setKey.BindBlob(2, rekey.key);
        if (setKey.Step() != SQLITE_DONE)
            return;  // rolled back; the old keys stay
    }
    setIdentity.BindText(1, collator_.Identity());
    if (setIdentity.Step() != SQLITE_DONE || !NoteCollationRequest())
        return;
    setKey.Reset();
    setIdentity.Reset();
    scope.Commit();
}

bool Volume::NoteCollationRequest() {
    Statement note =
        db_.Prepare("INSERT OR REPLACE INTO meta(name, value) VALUES('collation request', ?1)");
    if (!note.valid())
        return false;
    note.BindText(1, collator_.Request() + '\n' + collator_.Identity());
    return note.Step() == SQLITE_DONE;
}

std::optional<std::int64_t> Volume::FolderRow(const FolderLayout& layout) {
    Statement find = db_.Prepare("SELECT id FROM folders WHERE name = ?1");
    if (!find.valid())
        return std::nullopt;
    find.BindText(1, layout.storedName);
    int rc = find.Step();
    if (rc == SQLITE_ROW)
        return find.ColumnInt(0);
    find.Reset();
    if (rc != SQLITE_DONE)
        return std::nullopt;

    Statement add = db_.Prepare("INSERT INTO folders(name) VALUES(?1)");
    if (!add.valid())
        return std::nullopt;
    WriteScope scope(*this);
    if (!scope.began())
        return std::nullopt;
    add.BindText(1, layout.storedName);
    if (add.Step() != SQLITE_DONE)
        return std::nullopt;
    const std::int64_t row = sqlite3_last_insert_rowid(db_.handle());
    add.Reset();
    if (!scope.Commit())
        return std::nullopt;
    return row;
}

Volume::WriteScope::WriteScope(Volume& volume) : volume_(volume), level_(volume.depth_) {
    Database& db = volume_.db_;
    if (level_ == 0) {
        began_ = db.Execute("BEGIN IMMEDIATE") == SQLITE_OK;
    } else if (!db.InTransaction() || volume_.transactionLost_) {
        volume_.transactionLost_ = true;
    } else {
        began_ = db.Execute(("SAVEPOINT s" + std::to_string(level_)).c_str()) == SQLITE_OK;
    }
    if (began_) {
        ++volume_.depth_;
        volume_.BeganStep(level_);
    }
}

Volume::WriteScope::~WriteScope() {
    if (began_ && !done_)
        Rollback();
}

bool Volume::WriteScope::Commit() {
    if (!began_ || done_)
        return false;
    Database& db = volume_.db_;
    const int rc = level_ == 0 ? db.Execute("COMMIT")
                               : db.Execute(("RELEASE s" + std::to_string(level_)).c_str());
    if (rc != SQLITE_OK || (level_ == 0 && volume_.transactionLost_)) {
        Rollback();
        return false;
    }
    done_ = true;
    --volume_.depth_;
    volume_.EndedStep(level_, true);
    return true;
}

void Volume::WriteScope::Rollback() {
    if (!began_ || done_)
        return;
    done_ = true;
    --volume_.depth_;
    Database& db = volume_.db_;
    if (level_ == 0) {
        if (db.InTransaction())
            db.Execute("ROLLBACK");
        volume_.transactionLost_ = false;
    } else if (db.InTransaction()) {
        const std::string name = "s" + std::to_string(level_);
        db.Execute(("ROLLBACK TO " + name + "; RELEASE " + name).c_str());
    } else {
        volume_.transactionLost_ = true;
    }
    volume_.EndedStep(level_, false);
}

bool Volume::Atomically(const std::function<bool()>& body) {
    WriteScope scope(*this);
    if (!scope.began())
        return false;
    if (!body() || transactionLost_) {
        scope.Rollback();
        return false;
    }
    return scope.Commit();
}

std::optional<ObjectId> Volume::NextObjectId() {
    const int rc = nextId_.Step();
    const std::int64_t next = rc == SQLITE_ROW ? nextId_.ColumnInt(0) : 0;
    nextId_.Reset();
    if (next <= 0 || next > static_cast<std::int64_t>(UINT32_MAX))
        return std::nullopt;
    return static_cast<ObjectId>(next);
}

bool Volume::ReadStored(ObjectId id, std::int64_t& folderRow, std::vector<std::uint8_t>& bytes) {
    readStored_.BindInt(1, id);
    const bool found = readStored_.Step() == SQLITE_ROW;
    if (found) {
        folderRow = readStored_.ColumnInt(0);
        const auto stored = readStored_.ColumnBlob(1);
        bytes.assign(stored.begin(), stored.end());
    }
    readStored_.Reset();
    return found;
}

bool Volume::Insert(ObjectId id, std::int64_t folderRow, std::span<const std::uint8_t> dateKey,
                    std::span<const std::uint8_t> nameKey, std::span<const std::uint8_t> bytes) {
    insert_.BindInt(1, id);
    insert_.BindInt(2, folderRow);
    insert_.BindBlob(3, dateKey);
    insert_.BindBlob(4, nameKey);
    insert_.BindBlob(5, bytes);
    const bool ok = insert_.Step() == SQLITE_DONE;
    insert_.Reset();
    return ok;
}

bool Volume::Update(ObjectId id, std::span<const std::uint8_t> dateKey,
                    std::span<const std::uint8_t> nameKey, std::span<const std::uint8_t> bytes) {
    update_.BindInt(1, id);
    update_.BindBlob(2, dateKey);
    update_.BindBlob(3, nameKey);
    update_.BindBlob(4, bytes);
    const bool ok = update_.Step() == SQLITE_DONE && sqlite3_changes(db_.handle()) == 1;
    update_.Reset();
    return ok;
}

bool Volume::Delete(ObjectId id, std::int64_t folderRow) {
    delete_.BindInt(1, id);
    delete_.BindInt(2, folderRow);
    const bool ok = delete_.Step() == SQLITE_DONE && sqlite3_changes(db_.handle()) == 1;
    delete_.Reset();
    return ok;
}

bool Volume::LoadOrder(SortColumn column, std::int64_t folderRow, std::vector<ObjectId>& order) {
    Statement& load = load_[static_cast<int>(column)];
    order.clear();
    load.BindInt(1, folderRow);
    int rc = SQLITE_ROW;
    while ((rc = load.Step()) == SQLITE_ROW)
        order.push_back(static_cast<ObjectId>(load.ColumnInt(0)));
    load.Reset();
    return rc == SQLITE_DONE;
}

bool Volume::KeyOf(SortColumn column, ObjectId id, std::int64_t& folderRow,
                   std::vector<std::uint8_t>& key) {
    Statement& keyOf = keyOf_[static_cast<int>(column)];
    keyOf.BindInt(1, id);
    const bool found = keyOf.Step() == SQLITE_ROW;
    if (found) {
        folderRow = keyOf.ColumnInt(0);
        const auto bytes = keyOf.ColumnBlob(1);
        key.assign(bytes.begin(), bytes.end());
    }
    keyOf.Reset();
    return found;
}

void Volume::Register(Folder::Impl* folder) {
    folders_.push_back(folder);
}

void Volume::Unregister(Folder::Impl* folder) {
    std::erase(folders_, folder);
}

void Volume::BeforeChange(std::int64_t folderRow) {
    for (Folder::Impl* folder : folders_) {
        if (folder->folderRow() == folderRow)
            folder->BeforeChange();
    }
}

void Volume::AfterChange(std::int64_t folderRow) {
    for (Folder::Impl* folder : folders_) {
        if (folder->folderRow() == folderRow)
            folder->AfterChange();
    }
}

void Volume::BeganStep(int level) {
    for (Folder::Impl* folder : folders_)
        folder->SaveCursor(level);
}

void Volume::EndedStep(int level, bool committed) {
    for (Folder::Impl* folder : folders_) {
        if (committed) {
            folder->ForgetCursor(level);
        } else {
            folder->RestoreCursor(level);
        }
    }
}

}  // namespace mivex::store
