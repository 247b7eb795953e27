#pragma once

// The desktop program's views over a real store in a temporary data
// directory, with virtual time and counted sounds. Message boxes and the
// save dialog are answered through their test hooks, so no test waits.

#include <QListWidget>
#include <QTest>
#include <atomic>
#include <deque>
#include <filesystem>
#include <ostream>
#include <string_view>

#include "app/app_context.h"
#include "app/main_window.h"
#include "app/qt_prompter.h"
#include "fake_controls.h"
#include "phone/posix_serial_device.h"
#include "temp_dir.h"

// Readable failures: QString as its text.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace mivex::testing {

// Real time for the phone line's time-outs, with every pause of the views and
// the runs skipped (and counted), so a flow takes only its line time. Safe
// from the transfer's worker thread.
class RunClock final : public platform::Clock {
public:
    std::uint64_t NowMs() override;
    void SleepMs(std::uint32_t milliseconds) override { skippedMs += milliseconds; }
    // 5 March 2026, 09:00 plus the time that has passed.
    platform::LocalTime Local() override;

    std::atomic<std::uint64_t> skippedMs{0};
};

class AppFixture {
public:
    AppFixture();

    // Writes a .vcf file into the contacts folder of the data directory.
    void WriteContacts(std::string_view name, std::string_view vcards);
    // Messages in one of the three folders.
    [[nodiscard]] std::size_t Count(std::u16string_view folder);
    [[nodiscard]] static QStringList Texts(const QListWidget& list);

    void Answer(std::deque<platform::PromptAnswer> answers) {
        app::QtPrompter::AnswerNextBoxes(std::move(answers));
    }
    [[nodiscard]] static const std::vector<app::ShownBox>& Boxes() {
        return app::QtPrompter::ShownBoxes();
    }

    TempDir dir;
    RunClock clock;
    CountingSounds sounds;
    phone::PosixSerialOpener serialOpener;
    platform::NoModems modems;
    app::AppContext context;
    app::MainWindow window;
};

}  // namespace mivex::testing
