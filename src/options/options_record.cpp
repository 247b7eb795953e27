#include "options/options_record.h"

#include <sys/stat.h>

#include <filesystem>

#include "store/property.h"
#include "store/store.h"

namespace mivex::options {

namespace {

std::uint16_t Number(Option option) {
    return static_cast<std::uint16_t>(option);
}

// Reads the one property `id` of the first record; true when it is there.
bool ReadFirstRecordProp(store::Store& store, store::PropId id, store::PropVal& value) {
    store::FolderHandle folder = store.OpenFolder(store::kOptionsName, 0);
    if (!folder)
        return false;
    store::PropArray props;
    const store::PropId ids[] = {id};
    const bool found = folder->SeekBeginning(0) != 0 && folder->ReadProps(ids, props) != 0 &&
                       props.size() == 1 && (props[0].flags & store::kPropNotFound) == 0;
    store.CloseFolder(folder);
    if (found)
        value = std::move(props[0]);
    return found;
}

bool WriteFirstRecordProp(store::Store& store, const store::PropVal& value) {
    store::FolderHandle folder = store.OpenFolder(store::kOptionsName, 0);
    if (!folder)
        return false;
    const store::ObjectId first = folder->SeekBeginning(0);
    const bool written = folder->WriteRecord(first, {&value, 1}) != 0;
    store.CloseFolder(folder);
    return written;
}

}  // namespace

bool StoreOptions::ReadOption(Option option, std::int32_t& value) {
    value = 0;
    store::PropVal prop;
    if (!ReadFirstRecordProp(store_, store::MakePropId(Number(option), store::PropType::I4),
                             prop)) {
        return false;
    }
    value = prop.integer;
    return true;
}

bool StoreOptions::ReadOption(Option option, std::u16string& value) {
    value.clear();
    store::PropVal prop;
    // A longer stored string did not fit the reader's buffer: it reads as absent.
    if (!ReadFirstRecordProp(store_, store::MakePropId(Number(option), store::PropType::String),
                             prop) ||
        prop.text.size() > kMaxOptionChars) {
        return false;
    }
    value = std::move(prop.text);
    return true;
}

bool StoreOptions::WriteOption(Option option, std::int32_t value) {
    return WriteFirstRecordProp(store_, store::PropVal::I4(Number(option), value));
}

bool StoreOptions::WriteOption(Option option, std::u16string_view value) {
    return WriteFirstRecordProp(store_, store::PropVal::String(Number(option), value));
}

namespace {

StoreStamp::File FileStamp(const std::filesystem::path& file) {
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0)
        return {};
    return {static_cast<std::uint64_t>(info.st_ino), static_cast<std::int64_t>(info.st_size),
            static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec};
}

}  // namespace

StoreStamp StampOf(const store::Store& store) {
    std::filesystem::path log = store.VolumePath();
    log += "-wal";
    return {FileStamp(store.VolumePath()), FileStamp(log)};
}

std::int32_t RememberedOption::Value(StoreOptions& options) {
    if (!known_ || StampOf(options.Store()) != stamp_) {
        (void)options.ReadOption(option_, value_);
        // Taken after the read, which opens and closes the volume and with
        // it SQLite's side files.
        stamp_ = StampOf(options.Store());
        known_ = true;
    }
    return value_;
}

}  // namespace mivex::options
