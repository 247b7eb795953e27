#include "store_fixture.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace mivex::store::tests {

sms::FileTime At(int year, int month, int day, int hour, int minute, int second) {
    return sms::CalendarToFileTime({year, month, day, hour, minute, second, 0}).value();
}

InboxRecord Part(std::u16string sender, int ref, int count, int seq, std::u16string text,
                 sms::FileTime time, int unread) {
    return {std::move(sender), time, std::move(text), 1, ref, count, seq, unread, u"", u""};
}

InboxRecord Whole(std::u16string sender, std::u16string text, sms::FileTime time, int unread) {
    return {std::move(sender), time, std::move(text), 0, 0, 0, 0, unread, u"", u""};
}

ObjectId Write(Folder& folder, const PropArray& props) {
    const ObjectId id = folder.WriteRecord(0, props);
    if (id == 0)
        throw std::runtime_error("record not written");
    return id;
}

ObjectId WriteInbox(Folder& inbox, std::u16string_view name, sms::FileTime time,
                    std::u16string_view text) {
    const std::u16string key = name.empty() ? u"" : MakeSortKey(name, time);
    return inbox.WriteRecord(0, ToProps(InboxRecord{u"+4412345", time, std::u16string(text), 0, 0,
                                                    0, 0, 1, std::u16string(name), key}));
}

template <typename Each>
static void ForEachRecord(Folder& folder, Each each) {
    PropArray props;
    folder.SeekBeginning(0);
    (void)ScanRecords(folder, props, each);
}

std::vector<PropArray> ReadAll(Folder& folder) {
    std::vector<PropArray> records;
    ForEachRecord(folder, [&](ObjectId, const PropArray& props) { records.push_back(props); });
    return records;
}

std::vector<ObjectId> ReadAllIds(Folder& folder) {
    std::vector<ObjectId> ids;
    ForEachRecord(folder, [&](ObjectId id, const PropArray&) { ids.push_back(id); });
    return ids;
}

template <typename Record>
static std::vector<Record> ReadRecords(Folder& folder,
                                       std::optional<Record> (*as)(std::span<const PropVal>)) {
    std::vector<Record> records;
    for (const PropArray& props : ReadAll(folder)) {
        if (std::optional<Record> record = as(props))
            records.push_back(*record);
    }
    return records;
}
std::vector<InboxRecord> ReadInbox(Folder& folder) {
    return ReadRecords(folder, AsInboxRecord);
}
std::vector<OutboxRecord> ReadOutbox(Folder& folder) {
    return ReadRecords(folder, AsOutboxRecord);
}

std::vector<std::u16string> ReadAllTexts(Folder& folder, std::uint16_t number) {
    std::vector<std::u16string> texts;
    ForEachRecord(folder, [&](ObjectId, const PropArray& props) {
        const std::u16string* text = FindPropString(props, number);
        texts.push_back(text != nullptr ? *text : u"<none>");
    });
    return texts;
}

unsigned ModeOf(const std::filesystem::path& file) {
    struct stat status {};
    return ::stat(file.c_str(), &status) == 0 ? status.st_mode & 07777 : 0;
}

std::string ReadFileBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFileBytes(const std::filesystem::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

void RunSql(const std::filesystem::path& file, const std::string& sql) {
    sqlite3* db = nullptr;
    const bool done = sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                                      nullptr) == SQLITE_OK &&
                      sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    if (!done)
        throw std::runtime_error("SQL not run: " + sql);
}

void FailInsertsAfter(const std::filesystem::path& volumeFile, int allowed) {
    // A failed insert is undone with its trigger's counting, so the count
    // stays at the limit and every later insert fails too.
    RunSql(volumeFile,
           "CREATE TABLE injected_inserts(allowed INTEGER);"
           "INSERT INTO injected_inserts VALUES(" +
               std::to_string(allowed) +
               ");"
               "CREATE TRIGGER injected_failure BEFORE INSERT ON records BEGIN "
               "  SELECT RAISE(ABORT, 'injected write failure') "
               "    WHERE (SELECT allowed FROM injected_inserts) <= 0;"
               "  UPDATE injected_inserts SET allowed = allowed - 1;"
               "END;");
}

}  // namespace mivex::store::tests
