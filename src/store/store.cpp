#include "store/store.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "platform/paths.h"
#include "store/folder_impl.h"
#include "store/volume.h"

namespace mivex::store {

namespace {

constexpr char kDatabaseFolderName[] = "Database";
constexpr char kVolumeFileName[] = "smsdata.cdb";
// SQLite's side files of a volume: a journal left by a crash must not be
// replayed into the new, empty volume that follows a clear.
constexpr const char* kSideFileSuffixes[] = {"-journal", "-wal", "-shm"};

constexpr std::u16string_view kClearQuestion = u"Clear all messages and Option settings?";
constexpr std::u16string_view kClearDone = u"Database cleared, please check Option settings";
constexpr std::u16string_view kClearFailed = u"Error - Failed to clear the database!";

bool RemoveIfPresent(const std::filesystem::path& file) {
    return ::unlink(file.c_str()) == 0 || errno == ENOENT;
}

}  // namespace

class Store::Impl {
public:
    Impl(std::filesystem::path directory, platform::Sounds& beeper)
        : dataDirectory(directory.empty() ? platform::DefaultDataDirectory()
                                          : std::move(directory)),
          sounds(beeper) {}

    std::filesystem::path dataDirectory;
    platform::Sounds& sounds;
    std::uint32_t mountCount = 0;
    std::uint64_t mountings = 0;
    bool readOnly = false;
    std::unique_ptr<Volume> volume;
    std::function<void()> beforeClear;
    std::function<void()> afterClear;
};

FolderHandle::FolderHandle(FolderHandle&&) noexcept = default;

FolderHandle& FolderHandle::operator=(FolderHandle&& other) noexcept {
    if (this != &other) {
        folder_.reset();  // closes (and unmounts) the folder held before
        folder_ = std::move(other.folder_);
    }
    return *this;
}

FolderHandle::~FolderHandle() = default;

Store::Store(std::filesystem::path dataDirectory, platform::Sounds& sounds)
    : impl_(std::make_unique<Impl>(std::move(dataDirectory), sounds)) {}

Store::~Store() = default;

const std::filesystem::path& Store::DataDirectory() const {
    return impl_->dataDirectory;
}

std::filesystem::path Store::VolumePath() const {
    return impl_->dataDirectory / kDatabaseFolderName / kVolumeFileName;
}

std::optional<std::filesystem::path> Store::GetDatabaseFolder() {
    std::filesystem::path folder = impl_->dataDirectory / kDatabaseFolderName;
    if (!platform::CreateOwnerOnlyDirectories(folder))
        return std::nullopt;
    return folder;
}

void Store::SetReadOnly(bool readOnly) {
    impl_->readOnly = readOnly;
}

bool Store::MountStore() {
    if (impl_->mountCount == 0) {
        if (!GetDatabaseFolder())
            return false;
        impl_->volume = Volume::Open(VolumePath(), impl_->readOnly);
        if (impl_->volume == nullptr)
            return false;
        ++impl_->mountings;
    }
    ++impl_->mountCount;
    return true;
}

bool Store::UnmountStore() {
    if (impl_->mountCount == 0) {
        impl_->sounds.DefaultBeep();
        return false;
    }
    if (--impl_->mountCount == 0)
        impl_->volume.reset();
    return true;
}

std::uint32_t Store::MountCount() const {
    return impl_->mountCount;
}

std::optional<Store::OthersCommits> Store::CommitsByOthers() {
    if (impl_->volume == nullptr)
        return std::nullopt;
    int rc = SQLITE_OK;
    const std::int64_t count = impl_->volume->db().QueryInt("PRAGMA data_version", 0, &rc);
    if (rc != SQLITE_OK)
        return std::nullopt;
    return OthersCommits{impl_->mountings, count};
}

FolderHandle Store::OpenFolder(std::u16string_view name, PropId sortProperty) {
    FolderHandle handle;
    if (!MountStore())
        return handle;
    const FolderLayout* layout = FindFolderLayout(name);
    const std::optional<SortColumn> column =
        layout != nullptr ? SortColumnFor(*layout, sortProperty) : std::nullopt;
    const std::optional<std::int64_t> row =
        column ? impl_->volume->FolderRow(*layout) : std::nullopt;
    if (!row) {
        UnmountStore();
        return handle;
    }
    // The folder reports the order it is read in: the first one for 0, none for "Options".
    PropId opened = 0;
    if (layout->dateProperty != 0) {
        opened = *column == SortColumn::Date ? layout->dateProperty : layout->nameProperty;
    }
    auto impl =
        std::make_unique<Folder::Impl>(*this, *impl_->volume, *layout, *row, *column, opened);
    if (!impl->Prepared())
        return handle;  // the Impl's destructor unmounts
    handle.folder_.reset(new Folder(std::move(impl)));
    return handle;
}

bool Store::CloseFolder(FolderHandle& folder) {
    if (!folder.valid())
        return false;
    folder.folder_->impl_->KeepMountOnClose();
    folder.folder_.reset();
    return UnmountStore();
}

bool Store::ClearDatabase(platform::Prompter& prompter) {
    if (!prompter.Confirm(kClearQuestion))
        return true;
    if (impl_->beforeClear)
        impl_->beforeClear();
    const bool cleared = RemoveVolumeFiles();
    if (impl_->afterClear)
        impl_->afterClear();
    if (!cleared) {
        prompter.Tell(kClearFailed, platform::PromptIcon::Stop);
        return false;
    }
    prompter.Tell(kClearDone, platform::PromptIcon::Information);
    return true;
}

void Store::SetClearHooks(std::function<void()> before, std::function<void()> after) {
    impl_->beforeClear = std::move(before);
    impl_->afterClear = std::move(after);
}

bool Store::RemoveVolumeFiles() {
    // A mounted volume is in use and cannot be deleted. The main file goes
    // first, so that a failure leaves the volume whole.
    bool cleared = impl_->mountCount == 0 && GetDatabaseFolder().has_value();
    if (cleared) {
        const std::filesystem::path file = VolumePath();
        cleared = RemoveIfPresent(file);
        for (const char* suffix : kSideFileSuffixes) {
            if (cleared)
                cleared = RemoveIfPresent(file.string() + suffix);
        }
        platform::SyncDirectory(file.parent_path());  // a cleared volume stays cleared
    }
    return cleared;
}

}  // namespace mivex::store
