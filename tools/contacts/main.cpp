// mivex-contacts: the address book as the compose view and the receive see it.
//
//   mivex-contacts [--data-dir DIR] list [--category NAME]   contact entries
//   mivex-contacts [--data-dir DIR] categories               category names
//   mivex-contacts [--data-dir DIR] lookup NUMBER            the name a sender gets
//   mivex-contacts [--data-dir DIR] check                    what could not be read
//
// The list follows the stored options (name order, all numbers, removing
// "(x)" tags), so it shows what the compose view will offer.

#include <CLI/CLI.hpp>
#include <iostream>
#include <string>
#include <vector>

#include "contacts/contact_lists.h"
#include "contacts/contacts_directory.h"
#include "contacts/name_lookup.h"
#include "options/options_record.h"
#include "platform/paths.h"
#include "platform/sounds.h"
#include "store/store.h"
#include "text/utf8.h"

namespace {

namespace contacts = mivex::contacts;
using mivex::text::Utf16ToUtf8;

constexpr int kSuccess = 0;
constexpr int kNotFound = 1;  // no address book, no match, or problems found
constexpr int kUsageError = 2;

// A combo box that is only ever printed.
class PrintedCombo final : public mivex::platform::ComboControl {
public:
    std::size_t Count() const override { return items_.size(); }
    void Reset() override {
        items_.clear();
        current_.reset();
    }
    std::size_t AddItem(std::u16string_view text) override {
        items_.push_back({std::u16string(text), 0});
        return items_.size() - 1;
    }
    void InsertItem(std::size_t index, std::u16string_view text) override {
        items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(index),
                      {std::u16string(text), 0});
    }
    std::u16string ItemText(std::size_t index) const override { return items_.at(index).text; }
    std::int32_t ItemData(std::size_t index) const override { return items_.at(index).data; }
    void SetItemData(std::size_t index, std::int32_t data) override {
        items_.at(index).data = data;
    }
    std::optional<std::size_t> CurrentIndex() const override { return current_; }
    void SetCurrentIndex(std::optional<std::size_t> index) override { current_ = index; }
    std::optional<std::size_t> FindExact(std::u16string_view text) const override {
        for (std::size_t i = 0; i < items_.size(); ++i) {
            if (items_[i].text == text)
                return i;
        }
        return std::nullopt;
    }

    void Print(std::ostream& out, std::size_t from) const {
        for (std::size_t i = from; i < items_.size(); ++i)
            out << Utf16ToUtf8(items_[i].text) << '\n';
    }

private:
    struct Item {
        std::u16string text;
        std::int32_t data;
    };
    std::vector<Item> items_;
    std::optional<std::size_t> current_;
};

int List(contacts::ContactsDirectory& directory, const std::filesystem::path& dataDirectory,
         const std::string& category) {
    const contacts::ContactsDatabase* database = directory.Refresh();
    PrintedCombo categories;
    if (!category.empty()) {
        (void)contacts::FillCategoryCombo(categories, database);
        const auto wanted = categories.FindExact(mivex::text::Utf8ToUtf16(category).value_or(u""));
        if (!wanted) {
            std::cerr << "mivex-contacts: no category \"" << category << "\"\n";
            return kNotFound;
        }
        categories.SetCurrentIndex(wanted);
    }
    mivex::platform::SilentSounds sounds;
    mivex::store::Store store(dataDirectory, sounds);
    mivex::options::StoreOptions options(store);
    PrintedCombo entries;
    if (!contacts::FillContactCombo(entries, categories, database, options))
        return kNotFound;
    entries.Print(std::cout, 0);
    return kSuccess;
}

int Categories(contacts::ContactsDirectory& directory) {
    PrintedCombo categories;
    const bool read = contacts::FillCategoryCombo(categories, directory.Refresh());
    categories.Print(std::cout, 1);  // past "All Categories"
    return read ? kSuccess : kNotFound;
}

int Lookup(contacts::ContactsDirectory& directory, const std::string& number) {
    (void)directory.Refresh();
    std::u16string name;
    const auto query = mivex::text::Utf8ToUtf16(number).value_or(u"");
    if (contacts::LookupContactName(name, query, directory.NameIndex()) == 0)
        return kNotFound;
    std::cout << Utf16ToUtf8(name) << '\n';
    return kSuccess;
}

int Check(contacts::ContactsDirectory& directory) {
    const contacts::ContactsDatabase* database = directory.Refresh();
    for (const contacts::ContactsProblem& problem : directory.Problems()) {
        std::cout << problem.file.string();
        if (problem.line != 0)
            std::cout << ':' << problem.line;
        std::cout << ": " << problem.reason << '\n';
    }
    if (database != nullptr) {
        std::cout << database->contacts.size() << " contact records, "
                  << database->categories.size() << " categories\n";
    }
    return database != nullptr && directory.Problems().empty() ? kSuccess : kNotFound;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"The address book as Mivex reads it from the contacts folder's vCard files."};
    app.require_subcommand(1);
    std::filesystem::path dataDirectory = mivex::platform::DefaultDataDirectory();
    app.add_option("--data-dir", dataDirectory, "data directory (default ~/.local/share/mivex)");

    std::string category;
    CLI::App* list = app.add_subcommand("list", "contact entries, as the recipient box lists them");
    list->add_option("--category", category, "only the contacts of this category");
    CLI::App* categories = app.add_subcommand("categories", "category names, in id order");
    std::string number;
    CLI::App* lookup = app.add_subcommand("lookup", "the name a message from NUMBER is given");
    lookup->add_option("NUMBER", number, "a phone number")->required();
    CLI::App* check = app.add_subcommand("check", "files and cards that could not be read");

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        return app.exit(error) == 0 ? kSuccess : kUsageError;
    }

    if (check->parsed()) {
        // Every file is read again, so the reader's trouble with each is named.
        contacts::ContactsDirectory directory(contacts::ContactsFolderIn(dataDirectory));
        return Check(directory);
    }
    // The cards the desktop program parsed last, for the files unchanged since.
    contacts::ContactsDirectory directory(contacts::ContactsFolderIn(dataDirectory),
                                          contacts::ContactsCacheIn(dataDirectory));
    int result = kUsageError;
    if (list->parsed())
        result = List(directory, dataDirectory, category);
    else if (categories->parsed())
        result = Categories(directory);
    else if (lookup->parsed())
        result = Lookup(directory, number);
    // Without its vCard reader no file was read: an empty list must not
    // pass for an empty address book.
    if (const std::string& error = contacts::VCardLoader::Shared().Error(); !error.empty()) {
        std::cerr << "mivex-contacts: " << error << '\n';
        return kNotFound;
    }
    return result;
}
