#include "operations_support.h"

#include <cstdlib>
#include <stdexcept>

namespace mivex::testing {

TempVolume::TempVolume() {
    std::string pattern = (std::filesystem::temp_directory_path() / "mivex-ops-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("no temporary folder");
    folder_ = pattern;
    store_ = std::make_unique<store::Store>(folder_, sounds_);
}

TempVolume::~TempVolume() {
    store_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

store::FolderHandle TempVolume::Open(std::u16string_view name, store::PropId sortProperty) {
    store::FolderHandle folder = store_->OpenFolder(name, sortProperty);
    if (!folder)
        throw std::runtime_error("folder does not open");
    return folder;
}

sms::FileTime At(int year, int month, int day, int hour, int minute, int second) {
    return sms::CalendarToFileTime({year, month, day, hour, minute, second, 0}).value();
}

store::ObjectId Write(store::Folder& folder, const store::PropArray& props) {
    const store::ObjectId id = folder.WriteRecord(0, props);
    if (id == 0)
        throw std::runtime_error("record not written");
    return id;
}

std::vector<store::PropArray> ReadAll(store::Folder& folder) {
    std::vector<store::PropArray> records;
    store::PropArray props;
    if (folder.SeekBeginning() == 0)
        return records;
    while (folder.ReadRecord(props) != 0)
        records.push_back(props);
    return records;
}

std::vector<store::InboxRecord> ReadInbox(store::Folder& folder) {
    std::vector<store::InboxRecord> records;
    for (const store::PropArray& props : ReadAll(folder)) {
        if (auto record = store::AsInboxRecord(props))
            records.push_back(*record);
    }
    return records;
}

std::vector<store::OutboxRecord> ReadOutbox(store::Folder& folder) {
    std::vector<store::OutboxRecord> records;
    for (const store::PropArray& props : ReadAll(folder)) {
        if (auto record = store::AsOutboxRecord(props))
            records.push_back(*record);
    }
    return records;
}

}  // namespace mivex::testing
