#include "app_fixture.h"

#include <chrono>
#include <fstream>

#include "contacts/contacts_directory.h"
#include "store/store.h"

namespace mivex::testing {

std::uint64_t RunClock::NowMs() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint64_t>(
               std::chrono::duration_cast<std::chrono::milliseconds>(now).count()) +
           skippedMs.load();
}

void RunClock::SleepMs(std::uint32_t milliseconds) {
    skippedMs += milliseconds;
}

platform::LocalTime RunClock::Local() {
    static const std::uint64_t start = NowMs();
    const std::uint64_t passed = NowMs() - start;
    platform::LocalTime time{2026, 3, 5, 9, 0, 0, 0};
    time.millisecond = static_cast<int>(passed % 1000);
    time.second = static_cast<int>(passed / 1000 % 60);
    time.minute = static_cast<int>(passed / 60'000 % 60);
    time.hour += static_cast<int>(passed / 3'600'000 % 12);
    return time;
}

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
