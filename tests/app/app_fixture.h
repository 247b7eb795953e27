#pragma once

// The desktop program's views over a real store in a temporary data
// directory, with virtual time and counted sounds. Message boxes and the
// save dialog are answered through their test hooks, so no test waits.

#include <QCoreApplication>
#include <QTest>
#include <deque>
#include <filesystem>
#include <ostream>
#include <string_view>

#include "app/app_context.h"
#include "app/main_window.h"
#include "app/qt_prompter.h"
#include "fake_clock.h"
#include "fake_controls.h"
#include "phone/posix_serial_device.h"
#include "temp_dir.h"

// Readable failures: QString as its text.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace mivex::testing {

class AppFixture {
public:
    AppFixture();
    ~AppFixture();

    // Writes a .vcf file into the contacts folder of the data directory.
    void WriteContacts(std::string_view name, std::string_view vcards);
    // Messages in the Outbox, in its sort order.
    [[nodiscard]] std::size_t OutboxCount();

    void Answer(std::deque<platform::PromptAnswer> answers) {
        app::QtPrompter::AnswerNextBoxes(std::move(answers));
    }
    [[nodiscard]] static const std::vector<app::ShownBox>& Boxes() {
        return app::QtPrompter::ShownBoxes();
    }

    TempDir dir;
    FakeClock clock;
    CountingSounds sounds;
    phone::PosixSerialOpener serialOpener;
    app::AppContext context;
    app::MainWindow window;
};

}  // namespace mivex::testing
