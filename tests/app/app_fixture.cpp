#include "app_fixture.h"

#include <fstream>

#include "contacts/contacts_directory.h"
#include "store/store.h"

namespace mivex::testing {

AppFixture::AppFixture() : context(dir.path() / "data", {clock, sounds, serialOpener}) {
    Answer({});
    app::QtPrompter::ClearShownBoxes();
    context.Prompter().SetOwner(&window);
}

AppFixture::~AppFixture() = default;

void AppFixture::WriteContacts(std::string_view name, std::string_view vcards) {
    const std::filesystem::path folder = contacts::ContactsFolderIn(context.DataDirectory());
    std::filesystem::create_directories(folder);
    std::ofstream(folder / name, std::ios::binary) << vcards;
}

std::size_t AppFixture::OutboxCount() {
    store::FolderHandle outbox =
        context.Store().OpenFolder(store::kOutboxName, store::kOutboxByDate);
    std::size_t count = 0;
    for (auto id = outbox->SeekBeginning(); id != 0; id = outbox->SeekForward())
        ++count;
    context.Store().CloseFolder(outbox);
    return count;
}

}  // namespace mivex::testing
