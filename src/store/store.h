#pragma once

// The message store: one SQLite file "smsdata.cdb" in the "Database" folder of
// the data directory, holding the folders "Inbox", "Outbox", "Sent" and
// "Options". Nothing stays open between operations: each operation opens the
// folder it needs and closes it again, which is what lets "Clear Database"
// delete the file while the program runs.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>

#include "platform/prompter.h"
#include "platform/sounds.h"
#include "store/folder.h"
#include "store/property.h"

namespace mivex::store {

// Sort properties callers open folders with.
inline constexpr PropId kInboxByDate = 0x00010040;
inline constexpr PropId kInboxBySender = 0x0009001F;
inline constexpr PropId kOutboxByDate = 0x00020040;
inline constexpr PropId kSentByDate = 0x00020040;
inline constexpr PropId kSentByRecipient = 0x0004001F;

inline constexpr std::u16string_view kInboxName = u"Inbox";
inline constexpr std::u16string_view kOutboxName = u"Outbox";
inline constexpr std::u16string_view kSentName = u"Sent";
inline constexpr std::u16string_view kOptionsName = u"Options";

// An open folder; closing it (CloseFolder, or the destructor) unmounts the
// volume once. Empty is the invalid handle.
class FolderHandle {
public:
    FolderHandle() = default;
    FolderHandle(FolderHandle&&) noexcept;
    FolderHandle& operator=(FolderHandle&&) noexcept;
    ~FolderHandle();

    [[nodiscard]] bool valid() const { return folder_ != nullptr; }
    explicit operator bool() const { return valid(); }
    Folder* operator->() const { return folder_.get(); }
    Folder& operator*() const { return *folder_; }

private:
    friend class Store;
    std::unique_ptr<Folder> folder_;
};

class Store {
public:
    // `dataDirectory` empty means platform::DefaultDataDirectory().
    Store(std::filesystem::path dataDirectory, platform::Sounds& sounds);
    ~Store();
    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;

    [[nodiscard]] const std::filesystem::path& DataDirectory() const;
    // The "Database" folder, created (owner-only) when missing; nothing when
    // it cannot be had.
    [[nodiscard]] std::optional<std::filesystem::path> GetDatabaseFolder();
    [[nodiscard]] std::filesystem::path VolumePath() const;

    bool MountStore();
    // Beeps and fails when nothing is mounted.
    bool UnmountStore();
    [[nodiscard]] std::uint32_t MountCount() const;

    // Changes when another connection, another process's most often, commits
    // to the mounted volume, and not when this store does: tells a watcher's
    // own writes from news. Empty when nothing is mounted.
    struct OthersCommits {
        std::uint64_t mount = 0;  // which mounting, as the count restarts with each
        std::int64_t count = 0;
        bool operator==(const OthersCommits&) const = default;
    };
    [[nodiscard]] std::optional<OthersCommits> CommitsByOthers();

    // From the next first mount on, opens the volume read-only (to look at a
    // copy without changing it): every write then fails and the file stays as
    // it is. A missing volume is not created.
    void SetReadOnly(bool readOnly);

    // `name` is one of the four folder names, compared exactly. The folder is
    // created with its fixed sort orders the first time. "Options" ignores
    // `sortProperty` and does not auto-advance. Invalid handle on failure,
    // with nothing left mounted; a volume file that is not a database is left
    // as it is.
    [[nodiscard]] FolderHandle OpenFolder(std::u16string_view name, PropId sortProperty);
    // The unmount's result; false for an invalid handle.
    bool CloseFolder(FolderHandle& folder);

    // Asks "Clear all messages and Option settings?" and on Yes deletes the
    // volume file with SQLite's side files. True when declined or deleted.
    bool ClearDatabase(platform::Prompter& prompter);
    // Around a confirmed clear: `before` lets go of what holds the volume
    // open through another connection (a file deleted under it would take
    // what it writes next with it), `after` takes it up again.
    void SetClearHooks(std::function<void()> before, std::function<void()> after);

private:
    bool RemoveVolumeFiles();

    class Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace mivex::store
