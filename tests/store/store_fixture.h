#pragma once

// A fresh data directory per test and a Store over it, with helpers for
// writing records and reading them back in folder order.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fake_clock.h"
#include "fake_controls.h"
#include "platform/memory_controls.h"
#include "store/message_records.h"
#include "store/store.h"
#include "temp_dir.h"

namespace mivex::store::tests {

using mivex::platform::MemoryList;
using mivex::testing::FakeClock;
using mivex::testing::FakeTextControl;
using mivex::testing::RecordingStatusSink;
using mivex::testing::RowTexts;
using mivex::testing::ScriptedPrompter;
using mivex::testing::TempDir;

using Texts = std::vector<std::u16string>;
using Ids = std::vector<ObjectId>;

class StoreTest : public ::testing::Test {
protected:
    FolderHandle Open(std::u16string_view name, PropId sort = 0) {
        return store.OpenFolder(name, sort);
    }

    TempDir dir;
    mivex::testing::CountingSounds sounds;
    Store store{dir.path(), sounds};
};

// A file time from local calendar fields.
[[nodiscard]] sms::FileTime At(int year, int month, int day, int hour, int minute, int second = 0);

// Inbox records as received: one part of a long message, and a whole one.
InboxRecord Part(std::u16string sender, int ref, int count, int seq, std::u16string text,
                 sms::FileTime time, int unread = 1);
InboxRecord Whole(std::u16string sender, std::u16string text, sms::FileTime time, int unread = 1);

// Writes the record or throws; its id.
ObjectId Write(Folder& folder, const PropArray& props);
// Writes an Inbox record of that sender name and time; its id.
ObjectId WriteInbox(Folder& inbox, std::u16string_view name, sms::FileTime time,
                    std::u16string_view text = u"text");

// Reading from the first record until a read fails.
std::vector<PropArray> ReadAll(Folder& folder);
std::vector<ObjectId> ReadAllIds(Folder& folder);
// The string property `number` of every record.
std::vector<std::u16string> ReadAllTexts(Folder& folder, std::uint16_t number);

// The records of the right shape.
std::vector<InboxRecord> ReadInbox(Folder& folder);
std::vector<OutboxRecord> ReadOutbox(Folder& folder);

// The permission bits of the file, 0 when there is none.
unsigned ModeOf(const std::filesystem::path& file);
std::string ReadFileBytes(const std::filesystem::path& file);
void WriteFileBytes(const std::filesystem::path& file, const std::string& bytes);

// Runs SQL on the file through a connection of its own, or throws.
void RunSql(const std::filesystem::path& file, const std::string& sql);

// Lets `allowed` more records be inserted into the volume, then fails every
// insert, as a store that has run out of room would. A trigger added through
// a second connection, so it follows the volume's schema by name.
void FailInsertsAfter(const std::filesystem::path& volumeFile, int allowed);

}  // namespace mivex::store::tests
