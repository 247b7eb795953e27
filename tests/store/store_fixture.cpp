#include "store_fixture.h"

#include <fstream>
#include <iterator>

namespace mivex::store::tests {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "mivex-store-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code error;
    for (auto it = std::filesystem::recursive_directory_iterator(path_, error);
         it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, error);
    }
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, error);
    std::filesystem::remove_all(path_, error);
}

FolderHandle StoreTest::Open(std::u16string_view name, PropId sort) {
    return store.OpenFolder(name, sort);
}

ObjectId WriteInbox(Folder& inbox, std::u16string_view name, sms::FileTime time,
                    std::u16string_view text) {
    InboxRecord record;
    record.SenderNumber = u"+4412345";
    record.TimeStamp = time;
    record.Text = text;
    record.SenderName = name;
    record.SortKey = name.empty() ? std::u16string() : MakeSortKey(name, time);
    return inbox.WriteRecord(0, ToProps(record));
}

std::vector<ObjectId> ReadAllIds(Folder& folder) {
    std::vector<ObjectId> ids;
    PropArray props;
    folder.SeekBeginning(0);
    while (ObjectId id = folder.ReadRecord(props))
        ids.push_back(id);
    return ids;
}

std::vector<std::u16string> ReadAllTexts(Folder& folder, std::uint16_t number) {
    std::vector<std::u16string> texts;
    PropArray props;
    folder.SeekBeginning(0);
    while (folder.ReadRecord(props) != 0) {
        const std::u16string* text = FindPropString(props, number);
        texts.push_back(text != nullptr ? *text : u"<none>");
    }
    return texts;
}

std::string ReadFileBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFileBytes(const std::filesystem::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << bytes;
}

}  // namespace mivex::store::tests
