#pragma once

// A fresh volume in a temporary folder per test, and small helpers for
// writing and reading back message records in folder order.

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "fake_controls.h"
#include "platform/sounds.h"
#include "store/compose_target.h"
#include "store/message_records.h"
#include "store/store.h"

namespace mivex::testing {

class TempVolume {
public:
    TempVolume();
    ~TempVolume();
    TempVolume(const TempVolume&) = delete;
    TempVolume& operator=(const TempVolume&) = delete;

    store::Store& Store() { return *store_; }
    [[nodiscard]] store::FolderHandle Open(std::u16string_view name, store::PropId sortProperty);
    [[nodiscard]] const std::filesystem::path& Folder() const { return folder_; }

private:
    std::filesystem::path folder_;
    platform::SilentSounds sounds_;
    std::unique_ptr<store::Store> store_;
};

// A file time from local calendar fields.
[[nodiscard]] sms::FileTime At(int year, int month, int day, int hour, int minute, int second = 0);

store::ObjectId Write(store::Folder& folder, const store::PropArray& props);

// Every record of the folder in its order, as read (ids left out).
[[nodiscard]] std::vector<store::PropArray> ReadAll(store::Folder& folder);
[[nodiscard]] std::vector<store::InboxRecord> ReadInbox(store::Folder& folder);
[[nodiscard]] std::vector<store::OutboxRecord> ReadOutbox(store::Folder& folder);

// The compose view as the hand-overs see it, recording what reaches it.
class RecordingCompose final : public store::ComposeTarget {
public:
    void AddRecipientEntry(std::u16string_view entry) override { entries.emplace_back(entry); }
    platform::TextControl& MessageText() override { return text; }
    void MessageTextChanged() override { ++changes; }

    std::vector<std::u16string> entries;
    FakeTextControl text;
    int changes = 0;
};

}  // namespace mivex::testing
