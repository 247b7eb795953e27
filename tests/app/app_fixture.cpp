#include "app_fixture.h"

#include <chrono>
#include <fstream>

#include "contacts/contacts_directory.h"
#include "store/store.h"

namespace mivex::testing {

std::uint64_t RunClock::NowMs() {
    using namespace std::chrono;
    const auto now = duration_cast<milliseconds>(steady_clock::now().time_since_epoch());
    return static_cast<std::uint64_t>(now.count()) + skippedMs.load();
}

platform::LocalTime RunClock::Local() {
    static const std::uint64_t start = NowMs();
    const auto ms = static_cast<int>((NowMs() - start) % 43'200'000);
    platform::LocalTime time{2026, 3, 5, 9 + ms / 3'600'000, ms / 60'000 % 60, ms / 1000 % 60};
    time.millisecond = ms % 1000;
    return time;
}

AppFixture::AppFixture() : context(dir.path() / "data", {clock, sounds, serialOpener, modems}) {
    Answer({});
    app::QtPrompter::ClearShownBoxes();
    context.Prompter().SetOwner(&window);
}

void AppFixture::WriteContacts(std::string_view name, std::string_view vcards) {
    const std::filesystem::path folder = contacts::ContactsFolderIn(context.DataDirectory());
    std::filesystem::create_directories(folder);
    std::ofstream(folder / name, std::ios::binary) << vcards;
}

std::size_t AppFixture::Count(std::u16string_view folder) {
    // Outbox and Sent share their date property.
    store::FolderHandle handle = context.Store().OpenFolder(
        folder, folder == store::kInboxName ? store::kInboxByDate : store::kSentByDate);
    std::size_t count = 0;
    for (auto id = handle->SeekBeginning(); id != 0; id = handle->SeekForward())
        ++count;
    context.Store().CloseFolder(handle);
    return count;
}

QStringList AppFixture::Texts(const QListWidget& list) {
    QStringList rows;
    for (int row = 0; row < list.count(); ++row)
        rows << list.item(row)->text();
    return rows;
}

}  // namespace mivex::testing
