// The desktop program's costs, each against a reference measured in the same
// run, the two timed in turn, pair by pair, and reported as medians with the
// median of the pairwise ratios (ratio); where both run in this process the
// thread's processor time is reported too (cpu_ratio), the steadier figure
// on a shared machine.
// - Startup: mivex started on a data directory with an address book, from
//   the start of the process to the compose view's first paint and the
//   process's end, and its peak resident memory (memory_ratio), against a
//   bare Qt Widgets program showing one empty dialog (mivex_bare_dialog)
//   started the same way. StartupSteps and StartupContactBoxOnly show where
//   the program's own part of it goes.
// - Typing: one keystroke into the compose view's message edit holding a
//   long message, which recounts the characters left, against the same
//   keystroke into a plain edit of the same size holding the same text,
//   with no counter.
// - InboxOpen: the Inbox view on a big Inbox from its construction to the
//   first paint of its list, against SQLite alone stepping through the same
//   rows. InboxCoreFill (the same fill into a list kept in memory) and
//   InboxListWidgetOnly (a bare QListWidget given the same rows and painted)
//   show where the view's time goes. Sorting by sender, deleting a selection
//   and showing a selected message are timed on the same Inbox.
// - TransferReceive and TransferSend: the Inbox view's Receive and the
//   Outbox view's Send All against the simulated phone paced at 115,200
//   baud, against mivex-cli's receive and send (the whole process) on the
//   same phone.
//
// The smoke tests run the small sizes only and assert nothing about time.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sqlite3.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QItemSelectionModel>
#include <QListWidget>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/app_context.h"
#include "app/app_views.h"
#include "app/command_ids.h"
#include "app/compose_view.h"
#include "app/inbox_view.h"
#include "app/main_window.h"
#include "app/outbox_view.h"
#include "app/qt_prompter.h"
#include "app/sent_view.h"
#include "options/options_record.h"
#include "phone/posix_serial_device.h"
#include "phone_fill.h"
#include "phonesim/simulated_phone.h"
#include "platform/clock.h"
#include "platform/memory_controls.h"
#include "platform/sounds.h"
#include "platform/status_sink.h"
#include "store/discarding_compose_target.h"
#include "store/folder_listing.h"
#include "store/message_records.h"
#include "store/store.h"
#include "temp_folders.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
namespace app = mivex::app;
namespace store = mivex::store;
namespace platform = mivex::platform;
namespace phonesim = mivex::phonesim;
using SteadyClock = std::chrono::steady_clock;

constexpr int kBaudRate = 115200;
constexpr int kPaintLimitMs = 60'000;

double SecondsSince(SteadyClock::time_point start) {
    return std::chrono::duration<double>(SteadyClock::now() - start).count();
}

double Median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 != 0 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// What a step took: the time that passed, and the processor time this
// thread spent. On a shared machine the second is the steadier figure.
struct Elapsed {
    double wall = 0;
    double cpu = 0;
};

double ThreadCpuSeconds() {
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

class Stopwatch {
public:
    [[nodiscard]] Elapsed Read() const { return {SecondsSince(wall_), ThreadCpuSeconds() - cpu_}; }

private:
    SteadyClock::time_point wall_ = SteadyClock::now();
    double cpu_ = ThreadCpuSeconds();
};

// Pairs of one thing and its reference, timed in turn; reported as medians,
// in `unit` per second (1e3 for ms, 1e6 for us), with the medians of the
// pairwise ratios.
class Pairs {
public:
    void Add(Elapsed ours, Elapsed reference) {
        ours_.push_back(ours);
        reference_.push_back(reference);
    }
    void Report(benchmark::State& state, const std::string& ourName,
                const std::string& referenceName, const std::string& unit, double scale) const {
        std::vector<double> ourWall, ourCpu, referenceWall, referenceCpu, wallRatio, cpuRatio;
        for (std::size_t index = 0; index < ours_.size(); ++index) {
            ourWall.push_back(ours_[index].wall * scale);
            ourCpu.push_back(ours_[index].cpu * scale);
            referenceWall.push_back(reference_[index].wall * scale);
            referenceCpu.push_back(reference_[index].cpu * scale);
            wallRatio.push_back(ours_[index].wall / reference_[index].wall);
            cpuRatio.push_back(ours_[index].cpu / reference_[index].cpu);
        }
        state.counters[ourName + "_" + unit] = Median(ourWall);
        state.counters[referenceName + "_" + unit] = Median(referenceWall);
        state.counters["ratio"] = Median(wallRatio);
        state.counters[ourName + "_cpu_" + unit] = Median(ourCpu);
        state.counters[referenceName + "_cpu_" + unit] = Median(referenceCpu);
        state.counters["cpu_ratio"] = Median(cpuRatio);
    }

private:
    std::vector<Elapsed> ours_, reference_;
};

// ---------------------------------------------------------------------------
// Temporary directories, removed when the program ends.
using mivex::bench::TempFolders;

// ---------------------------------------------------------------------------
// Whole processes, started through mivex_launch_timed (see there why), timed
// from the start to its wait4 and measured by the kernel's own accounting of
// the finished child.

struct ProcessRun {
    double seconds = 0;
    double cpuSeconds = 0;  // user and system, every thread
    double peakMiB = 0;     // ru_maxrss
    bool ok = false;        // exited with status 0
};

ProcessRun RunProcess(const std::vector<std::string>& arguments,
                      const std::vector<std::string>& extraEnvironment) {
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text(*entry);
        const std::string name = text.substr(0, text.find('='));
        const bool replaced =
            std::any_of(extraEnvironment.begin(), extraEnvironment.end(),
                        [&](const std::string& extra) { return extra.rfind(name + "=", 0) == 0; });
        if (!replaced)
            environment.push_back(text);
    }
    environment.insert(environment.end(), extraEnvironment.begin(), extraEnvironment.end());
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (std::string& entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);

    int output[2];
    if (::pipe2(output, O_CLOEXEC) != 0)
        return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, output[1], 1);
    posix_spawn_file_actions_addclose(&actions, output[0]);
    posix_spawn_file_actions_addclose(&actions, output[1]);
    argv.insert(argv.begin(), const_cast<char*>(MIVEX_LAUNCH_TIMED));
    pid_t launcher = 0;
    const int spawned =
        posix_spawn(&launcher, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(output[1]);
    std::string line;
    char buffer[256];
    for (ssize_t got = 0; spawned == 0 && (got = ::read(output[0], buffer, sizeof buffer)) > 0;)
        line.append(buffer, static_cast<std::size_t>(got));
    ::close(output[0]);
    int status = 0;
    ProcessRun run;
    if (spawned != 0 || ::waitpid(launcher, &status, 0) != launcher || status != 0)
        return run;
    long peakKiB = 0;
    int exitStatus = -1;
    if (std::sscanf(line.c_str(), "%lf %lf %ld %d", &run.seconds, &run.cpuSeconds, &peakKiB,
                    &exitStatus) != 4)
        return run;
    run.peakMiB = static_cast<double>(peakKiB) / 1024.0;
    run.ok = exitStatus == 0;
    return run;
}

// ---------------------------------------------------------------------------
// An address book: .vcf files of 1,000 cards each in the data directory's
// contacts folder, numbers written as people type them.

std::string Digits(std::mt19937& random, int count) {
    std::string digits;
    for (int i = 0; i < count; ++i)
        digits += static_cast<char>('0' + random() % 10);
    return digits;
}

void WriteAddressBook(const fs::path& dataDirectory, std::size_t cards) {
    const char* const firstNames[] = {"Ann",  "Bob",   "Chloe", "David", "Emma", "Farid",
                                      "Gina", "Harry", "Isla",  "Jamal", "Kate", "Liam"};
    const char* const lastNames[] = {"Lee",    "Smith", "Jones", "Brown", "Taylor", "Wilson",
                                     "Davies", "Evans", "Khan",  "Patel", "Wright", "Walker"};
    const char* const categories[] = {"Friends", "Family", "Work", "Friends,Work", "Gym"};
    const fs::path folder = dataDirectory / "contacts";
    fs::create_directories(folder);
    std::mt19937 random(20240611);
    for (std::size_t first = 0; first < cards; first += 1000) {
        std::string bytes;
        for (std::size_t i = first; i < std::min(cards, first + 1000); ++i) {
            const std::string given = firstNames[random() % std::size(firstNames)];
            const std::string family = lastNames[random() % std::size(lastNames)];
            const std::string mobile = "7" + Digits(random, 9);
            bytes += "BEGIN:VCARD\r\nVERSION:3.0\r\nN:" + family + ";" + given +
                     ";;;\r\nFN:" + given + " " + family + "\r\n";
            bytes +=
                "TEL;TYPE=CELL,VOICE:0" + mobile.substr(0, 4) + " " + mobile.substr(4) + "\r\n";
            if (random() % 2 == 0)
                bytes += "TEL;TYPE=HOME,VOICE:(0161) 496 " + Digits(random, 4) + "\r\n";
            bytes += std::string("CATEGORIES:") + categories[i % std::size(categories)] +
                     "\r\nEND:VCARD\r\n";
        }
        std::ofstream(folder / ("cards-" + std::to_string(first / 1000) + ".vcf"), std::ios::binary)
            << bytes;
    }
}

// ---------------------------------------------------------------------------
// Start-up of the whole program against the bare dialog, in turn.

const std::vector<std::string> kOffscreen = {"QT_QPA_PLATFORM=offscreen"};

// With `ready` 1 the program ends once its contact boxes are filled (after
// the first paint), else at the first paint.
void Startup(benchmark::State& state) {
    const auto contacts = static_cast<std::size_t>(state.range(0));
    const fs::path data = TempFolders().Make();
    WriteAddressBook(data, contacts);
    const std::vector<std::string> mivex = {MIVEX_BINARY, "--data-dir", data.string()};
    const std::vector<std::string> bare = {MIVEX_BARE_DIALOG};
    const std::vector<std::string> mivexEnvironment = {
        "QT_QPA_PLATFORM=offscreen", "MIVEX_SILENT=1",
        state.range(1) == 1 ? "MIVEX_EXIT_AFTER_FIRST_PAINT=2" : "MIVEX_EXIT_AFTER_FIRST_PAINT=1"};
    // The first start makes the store; neither start of the warm-up counts.
    if (!RunProcess(mivex, mivexEnvironment).ok || !RunProcess(bare, kOffscreen).ok) {
        state.SkipWithError("failed: mivex or the bare dialog did not start and end");
        return;
    }
    Pairs pairs;
    std::vector<double> mivexPeak, barePeak, peakRatios;
    for (auto _ : state) {
        const ProcessRun ours = RunProcess(mivex, mivexEnvironment);
        const ProcessRun reference = RunProcess(bare, kOffscreen);
        if (!ours.ok || !reference.ok) {
            state.SkipWithError("failed: mivex or the bare dialog did not end well");
            return;
        }
        state.SetIterationTime(ours.seconds);
        pairs.Add({ours.seconds, ours.cpuSeconds}, {reference.seconds, reference.cpuSeconds});
        mivexPeak.push_back(ours.peakMiB);
        barePeak.push_back(reference.peakMiB);
        peakRatios.push_back(ours.peakMiB / reference.peakMiB);
    }
    // The processor time is the process's, every thread of it.
    pairs.Report(state, "mivex", "bare", "ms", 1e3);
    state.counters["mivex_MiB"] = Median(mivexPeak);
    state.counters["bare_MiB"] = Median(barePeak);
    state.counters["memory_ratio"] = Median(peakRatios);
}

// ---------------------------------------------------------------------------
// The views over a real store in a data directory, with the machine's own
// clock and no sounds.

struct Session {
    explicit Session(const fs::path& dataDirectory)
        : context(dataDirectory, {clock, sounds, serialOpener, modems}) {
        context.Prompter().SetOwner(&window);
    }

    platform::SystemClock clock;
    platform::SilentSounds sounds;
    mivex::phone::PosixSerialOpener serialOpener;
    platform::NoModems modems;
    app::AppContext context;
    app::MainWindow window;
};

// Notes the first paint of a widget after each Arm.
class PaintWatch final : public QObject {
public:
    void Arm() { painted_ = false; }
    [[nodiscard]] bool Painted() const { return painted_; }
    // Turns the event loop until the paint; false when it did not come.
    bool Wait() {
        QElapsedTimer waited;
        waited.start();
        while (!painted_ && waited.elapsed() < kPaintLimitMs)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        return painted_;
    }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            painted_ = true;
        return false;
    }

private:
    bool painted_ = false;
};

void Settle() {
    for (int turn = 0; turn < 5; ++turn)
        QCoreApplication::processEvents();
}

QString LongMessage(int length) {
    static const QString words = QStringLiteral(
        "Running late, the train stopped outside the station for twenty minutes. See you at the "
        "cafe on the corner at half past? Bring the tickets and the map. ");
    QString text;
    while (text.size() < length)
        text += words;
    text.truncate(length);
    return text;
}

double ResidentMiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stod(line.substr(6)) / 1024.0;
    }
    return 0;
}

// Where the program's own start-up goes, inside this process (Qt itself is
// up already): the context over the data directory (the store opened), the
// compose view made, the window shown to the compose view's first paint,
// and from there to the contact boxes filled (contacts_ms), as the program
// does it: after the first paint.
// The resident memory the first iteration's context and compose view added
// is reported too (later iterations reuse what the first one freed).
void StartupSteps(benchmark::State& state) {
    const fs::path data = TempFolders().Make();
    WriteAddressBook(data, static_cast<std::size_t>(state.range(0)));
    { Session first(data); }  // the store is made once, as by the first start
    std::vector<double> contextMs, composeMs, paintMs, contactsMs;
    const bool anyContacts = state.range(0) > 0;
    const double residentBefore = ResidentMiB();
    for (auto _ : state) {
        auto start = SteadyClock::now();
        auto session = std::make_unique<Session>(data);
        contextMs.push_back(SecondsSince(start) * 1000);
        start = SteadyClock::now();
        auto compose = std::make_unique<app::ComposeView>(session->window, session->context,
                                                          app::ContactsFill::AfterFirstPaint);
        composeMs.push_back(SecondsSince(start) * 1000);
        start = SteadyClock::now();
        PaintWatch watch;
        compose->installEventFilter(&watch);
        session->window.PushPage(compose.get());
        session->window.show();
        if (!watch.Wait()) {
            state.SkipWithError("failed: the compose view never painted");
            return;
        }
        paintMs.push_back(SecondsSince(start) * 1000);
        start = SteadyClock::now();
        QElapsedTimer waited;
        waited.start();
        while (anyContacts && compose->RecipientBox().count() == 0 &&
               waited.elapsed() < kPaintLimitMs)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        contactsMs.push_back(SecondsSince(start) * 1000);
        state.PauseTiming();
        if (paintMs.size() == 1)
            state.counters["added_MiB"] = ResidentMiB() - residentBefore;
        compose.reset();
        session.reset();
        Settle();
        state.ResumeTiming();
    }
    state.counters["context_ms"] = Median(contextMs);
    state.counters["compose_ms"] = Median(composeMs);
    state.counters["paint_ms"] = Median(paintMs);
    state.counters["contacts_ms"] = Median(contactsMs);
}

// The compose view's contact list alone: a bare editable QComboBox given the
// same entries, then shown in a window of its own to its first paint (where
// the box works out its size from its entries).
void StartupContactBoxOnly(benchmark::State& state) {
    QStringList entries;
    {
        const fs::path data = TempFolders().Make();
        WriteAddressBook(data, static_cast<std::size_t>(state.range(0)));
        Session session(data);
        app::ComposeView compose(session.window, session.context);
        for (int index = 0; index < compose.RecipientBox().count(); ++index)
            entries << compose.RecipientBox().itemText(index);
    }
    std::vector<double> fillMs, paintMs;
    for (auto _ : state) {
        QMainWindow window;
        auto start = SteadyClock::now();
        auto* box = new QComboBox(&window);
        box->setEditable(true);
        box->addItems(entries);
        fillMs.push_back(SecondsSince(start) * 1000);
        start = SteadyClock::now();
        PaintWatch watch;
        box->installEventFilter(&watch);
        window.setCentralWidget(box);
        window.show();
        if (!watch.Wait()) {
            state.SkipWithError("failed: the box never painted");
            return;
        }
        paintMs.push_back(SecondsSince(start) * 1000);
    }
    state.counters["entries"] = entries.size();
    state.counters["fill_ms"] = Median(fillMs);
    state.counters["paint_ms"] = Median(paintMs);
}

// One keystroke and the repaint it causes, in microseconds. Typing a letter
// and taking it back keeps the text's length.
Elapsed Keystroke(QPlainTextEdit& edit, Qt::Key key) {
    const Stopwatch stopwatch;
    QTest::keyClick(&edit, key);
    QCoreApplication::processEvents();
    return stopwatch.Read();
}

void Prepare(QPlainTextEdit& edit, int length) {
    edit.setPlainText(LongMessage(length));
    edit.moveCursor(QTextCursor::End);
    Settle();
}

// The compose view and a plain edit of the same size in a window of its own,
// typed into in turn, keystroke by keystroke.
void Typing(benchmark::State& state) {
    const int length = static_cast<int>(state.range(0));
    Session session(TempFolders().Make());
    app::ComposeView compose(session.window, session.context);
    session.window.PushPage(&compose);
    session.window.show();
    Settle();
    QPlainTextEdit& ours = compose.MessageEdit();

    QMainWindow window;
    auto* bare = new QPlainTextEdit(&window);
    window.setCentralWidget(bare);
    window.resize(ours.size());
    window.show();
    Settle();

    Prepare(ours, length);
    Prepare(*bare, length);
    Pairs pairs;
    for (auto _ : state) {
        for (const Qt::Key key : {Qt::Key_A, Qt::Key_Backspace}) {
            const Elapsed withCounter = Keystroke(ours, key);
            pairs.Add(withCounter, Keystroke(*bare, key));
        }
    }
    pairs.Report(state, "compose", "bare", "us", 1e6);
    state.counters["bare_edit_width"] = bare->width();
    state.counters["compose_edit_width"] = ours.width();
    state.SetLabel("counter " + compose.Counter().text().toStdString());
    if (ours.document()->characterCount() - 1 != length)
        state.SkipWithError("failed: the message did not keep its length");
}

// ---------------------------------------------------------------------------
// A day's use of the views: `switches` switches between the Inbox, Outbox
// and Sent views, each posted to the view on top as its button does, then
// "New" and "Quit". Reported: the views alive at most at once (the compose
// view among them), the widgets and the resident memory the switches added.

bool Shows(app::ViewPage* top, int command) {
    switch (command) {
        case app::cmd::Inbox:
            return dynamic_cast<app::InboxView*>(top) != nullptr;
        case app::cmd::Outbox:
            return dynamic_cast<app::OutboxView*>(top) != nullptr;
        default:
            return dynamic_cast<app::SentView*>(top) != nullptr;
    }
}

void ViewSwitches(benchmark::State& state) {
    const int switches = static_cast<int>(state.range(0));
    const int targets[] = {app::cmd::Inbox, app::cmd::Outbox, app::cmd::Sent};
    std::size_t mostViews = 0;
    double addedMiB = 0;
    double addedWidgets = 0;
    int done = -1;
    for (auto _ : state) {
        Session session(TempFolders().Make());
        app::AppViews views(session.window, session.context);
        session.context.SetViews(&views);
        app::ComposeView compose(session.window, session.context);
        session.window.show();
        double startMiB = 0;
        qsizetype startWidgets = 0;
        done = -1;
        QTimer step;
        QObject::connect(&step, &QTimer::timeout, [&] {
            app::ViewPage* top = session.window.TopPage();
            if (done < 0 && top == &compose) {
                startMiB = ResidentMiB();
                startWidgets = QApplication::allWidgets().size();
                done = 0;
                compose.PostCommand(targets[0]);
            } else if (done >= 0 && done < switches && Shows(top, targets[done % 3])) {
                mostViews = std::max<std::size_t>(
                    mostViews, session.window.findChildren<app::ViewPage*>().size());
                ++done;
                top->PostCommand(done == switches ? app::cmd::New : targets[done % 3]);
            } else if (done == switches && top == &compose) {
                addedMiB = ResidentMiB() - startMiB;
                addedWidgets =
                    static_cast<double>(QApplication::allWidgets().size() - startWidgets);
                ++done;
                compose.PostCommand(app::cmd::Quit);
            }
        });
        step.start(0);
        compose.Run();
    }
    state.counters["views_at_most"] = static_cast<double>(mostViews);
    state.counters["added_MiB"] = addedMiB;
    state.counters["widgets_added"] = addedWidgets;
    if (done != switches + 1)
        state.SkipWithError("failed: the switches did not all happen");
}

// ---------------------------------------------------------------------------
// A big Inbox: named, listable messages, half of them read.

constexpr mivex::sms::FileTime kYear2026 = 133'800'000'000'000'000ULL;
constexpr mivex::sms::FileTime kMinute = 600'000'000ULL;

std::u16string Decimal(std::size_t number) {
    const std::string text = std::to_string(number);
    return std::u16string(text.begin(), text.end());
}

fs::path BuildInbox(std::size_t records) {
    const fs::path folder = TempFolders().Make();
    std::mt19937 random(11);
    platform::SilentSounds sounds;
    store::Store volume(folder, sounds);
    store::FolderHandle inbox = volume.OpenFolder(store::kInboxName, store::kInboxByDate);
    const bool written = inbox && inbox->Atomically([&] {
        for (std::size_t index = 0; index < records; ++index) {
            const std::u16string name = u"Contact " + Decimal(random() % 500);
            const mivex::sms::FileTime stamp = kYear2026 + (random() % 500'000) * kMinute;
            std::u16string text(160, u' ');
            for (char16_t& unit : text)
                unit = static_cast<char16_t>(u'a' + random() % 26);
            const store::InboxRecord record{u"+447700" + Decimal(random() % 500),
                                            stamp,
                                            text,
                                            0,
                                            0,
                                            0,
                                            0,
                                            static_cast<std::int32_t>(random() % 2),
                                            name,
                                            store::MakeSortKey(name, stamp)};
            if (inbox->WriteRecord(0, store::ToProps(record)) == 0)
                return false;
        }
        return true;
    });
    if (!written)
        throw std::runtime_error("the Inbox could not be written");
    (void)volume.CloseFolder(inbox);
    return folder;
}

const fs::path& InboxOf(std::size_t records) {
    static std::map<std::size_t, fs::path> built;
    auto [place, fresh] = built.try_emplace(records);
    if (fresh)
        place->second = BuildInbox(records);
    return place->second;
}

fs::path VolumeFile(const fs::path& dataDirectory) {
    return dataDirectory / "Database" / "smsdata.cdb";
}

// A copy of the Inbox's data directory, for a benchmark that changes it.
fs::path CopyOfInbox(std::size_t records) {
    const fs::path copy = TempFolders().Make();
    fs::create_directories(copy / "Database");
    fs::copy_file(VolumeFile(InboxOf(records)), VolumeFile(copy),
                  fs::copy_options::overwrite_existing);
    return copy;
}

// The program's window with the compose view under the folder views, as
// when the program runs.
struct InboxSession {
    explicit InboxSession(const fs::path& dataDirectory)
        : session(dataDirectory), compose(session.window, session.context) {
        session.window.PushPage(&compose);
        session.window.show();
        Settle();
    }

    // The Inbox view pushed onto the window, until its list's first paint.
    std::unique_ptr<app::InboxView> Open(PaintWatch& watch) {
        auto view = std::make_unique<app::InboxView>(session.window, session.context);
        watch.Arm();
        view->List().viewport()->installEventFilter(&watch);
        session.window.PushPage(view.get());
        return watch.Wait() ? std::move(view) : nullptr;
    }

    Session session;
    app::ComposeView compose;
};

// SQLite alone: open the volume, step through every Inbox record in date
// order, reading its stored properties, and close it. The number of rows;
// -1 when the volume does not open.
int BareInboxRead(const fs::path& file) {
    sqlite3* db = nullptr;
    sqlite3_stmt* select = nullptr;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK ||
        sqlite3_prepare_v2(db,
                           "SELECT id, props FROM records WHERE folder = (SELECT id FROM "
                           "folders WHERE name = 'Inbox') ORDER BY date_key",
                           -1, &select, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return -1;
    }
    int rows = 0;
    std::size_t bytes = 0;
    while (sqlite3_step(select) == SQLITE_ROW) {
        ++rows;
        bytes += static_cast<std::size_t>(sqlite3_column_int64(select, 0));
        const void* props = sqlite3_column_blob(select, 1);
        bytes += static_cast<std::size_t>(sqlite3_column_bytes(select, 1));
        benchmark::DoNotOptimize(props);
    }
    benchmark::DoNotOptimize(bytes);
    sqlite3_finalize(select);
    sqlite3_close(db);
    return rows;
}

// The view opened to its first paint and the bare read, in turn; the time
// is the view's.
void InboxOpen(benchmark::State& state) {
    const auto records = static_cast<std::size_t>(state.range(0));
    InboxSession inbox(InboxOf(records));
    const fs::path file = VolumeFile(InboxOf(records));
    PaintWatch watch;
    Pairs pairs;
    for (auto _ : state) {
        const Stopwatch viewWatch;
        std::unique_ptr<app::InboxView> view = inbox.Open(watch);
        const Elapsed opened = viewWatch.Read();
        const Stopwatch bareWatch;
        const int bareRows = BareInboxRead(file);
        const Elapsed read = bareWatch.Read();
        if (!view || view->List().count() != static_cast<int>(records) ||
            bareRows != static_cast<int>(records)) {
            state.SkipWithError("failed: the view or the bare read did not list every message");
            return;
        }
        state.SetIterationTime(opened.wall);
        pairs.Add(opened, read);
        view.reset();
        Settle();
    }
    pairs.Report(state, "view", "bare", "ms", 1e3);
}

class NoStatus final : public platform::StatusSink {
public:
    void ShowStatus(std::u16string_view, platform::StatusBeep, platform::StatusColour) override {}
};

// The view's fill without widgets: the same list operation into a list kept
// in memory.
void InboxCoreFill(benchmark::State& state) {
    const auto records = static_cast<std::size_t>(state.range(0));
    platform::SilentSounds sounds;
    store::Store volume(InboxOf(records), sounds);
    platform::MemoryList list;
    platform::MemoryText text;
    platform::MemoryText counter;
    NoStatus status;
    app::QtPrompter prompter;
    store::DiscardingComposeTarget compose;
    const store::FolderViewControls controls{list, text, counter, status, prompter};
    for (auto _ : state) {
        store::FolderHandle inbox = volume.OpenFolder(store::kInboxName, store::kInboxByDate);
        (void)store::InboxListOp(controls, compose, store::ListOperation::Fill, *inbox);
        (void)volume.CloseFolder(inbox);
    }
    state.counters["rows"] = static_cast<double>(list.Count());
}

// The list widget alone: a bare QListWidget set up as the view's, given the
// view's row texts and painted once.
void InboxListWidgetOnly(benchmark::State& state) {
    const auto records = static_cast<std::size_t>(state.range(0));
    QStringList rows;
    {
        InboxSession inbox(InboxOf(records));
        PaintWatch watch;
        std::unique_ptr<app::InboxView> view = inbox.Open(watch);
        if (!view) {
            state.SkipWithError("failed: the Inbox view never painted");
            return;
        }
        for (int row = 0; row < view->List().count(); ++row)
            rows << view->List().item(row)->text();
    }
    QMainWindow window;
    window.resize(560, 640);
    window.show();
    Settle();
    PaintWatch watch;
    for (auto _ : state) {
        auto* list = new QListWidget(&window);
        list->setSelectionMode(QAbstractItemView::ExtendedSelection);
        list->setUniformItemSizes(true);
        list->viewport()->installEventFilter(&watch);
        watch.Arm();
        for (const QString& row : rows)
            list->addItem(row);
        window.setCentralWidget(list);
        if (!watch.Wait()) {
            state.SkipWithError("failed: the list never painted");
            return;
        }
    }
    state.counters["rows"] = rows.size();
}

void InboxSortBySender(benchmark::State& state) {
    const auto records = static_cast<std::size_t>(state.range(0));
    InboxSession inbox(InboxOf(records));
    PaintWatch watch;
    std::unique_ptr<app::InboxView> view = inbox.Open(watch);
    if (!view) {
        state.SkipWithError("failed: the Inbox view never painted");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        view->OnCommand(app::cmd::SortByDate);
        Settle();
        watch.Arm();
        state.ResumeTiming();
        view->OnCommand(app::cmd::SortByName);
        if (!watch.Wait()) {
            state.SkipWithError("failed: the sorted list never painted");
            return;
        }
    }
    state.counters["rows"] = view->List().count();
}

// Deletes a block of selected rows from the middle of the list, confirmed;
// each iteration on a fresh copy of the Inbox.
void InboxDeleteSelected(benchmark::State& state) {
    const auto records = static_cast<std::size_t>(state.range(0));
    const int selected = static_cast<int>(state.range(1));
    int left = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto inbox = std::make_unique<InboxSession>(CopyOfInbox(records));
        PaintWatch watch;
        std::unique_ptr<app::InboxView> view = inbox->Open(watch);
        if (!view) {
            state.SkipWithError("failed: the Inbox view never painted");
            return;
        }
        QListWidget& list = view->List();
        const int first = list.count() / 2 - selected / 2;
        list.selectionModel()->select(QItemSelection(list.model()->index(first, 0),
                                                     list.model()->index(first + selected - 1, 0)),
                                      QItemSelectionModel::ClearAndSelect);
        Settle();
        app::QtPrompter::AnswerNextBoxes({platform::PromptAnswer::Yes});
        watch.Arm();
        state.ResumeTiming();

        view->OnCommand(app::cmd::Delete);
        const bool painted = watch.Wait();

        state.PauseTiming();
        left = list.count();
        view.reset();
        inbox.reset();
        if (!painted) {
            state.SkipWithError("failed: the list never painted after the deletion");
            return;
        }
        state.ResumeTiming();
    }
    state.counters["rows_left"] = left;
    if (left != static_cast<int>(records) - selected)
        state.SkipWithError("failed: the selection was not deleted");
}

// A click on a row: the selection changes and the message shows.
void InboxShowSelected(benchmark::State& state) {
    const auto records = static_cast<std::size_t>(state.range(0));
    InboxSession inbox(CopyOfInbox(records));  // showing marks messages read
    PaintWatch watch;
    std::unique_ptr<app::InboxView> view = inbox.Open(watch);
    if (!view) {
        state.SkipWithError("failed: the Inbox view never painted");
        return;
    }
    PaintWatch shown;
    view->MessageEdit().viewport()->installEventFilter(&shown);
    std::mt19937 random(5);
    for (auto _ : state) {
        const int row = static_cast<int>(random() % records);
        shown.Arm();
        view->List().setCurrentRow(row);
        if (!shown.Wait() || view->MessageEdit().toPlainText().isEmpty()) {
            state.SkipWithError("failed: the selected message did not show");
            return;
        }
    }
}

// ---------------------------------------------------------------------------
// Transfers from the window against mivex-cli, on one simulated phone.

std::unique_ptr<phonesim::SimulatedPhone> StartPhone(phonesim::PhoneStores stores,
                                                     std::string& error) {
    phonesim::PhoneSetup setup;
    setup.stores = std::move(stores);
    setup.baudRate = kBaudRate;
    auto simulated = std::make_unique<phonesim::SimulatedPhone>(std::move(setup));
    if (!simulated->Start(error))
        return nullptr;
    return simulated;
}

std::string PortSetting(const phonesim::SimulatedPhone& phone) {
    return phone.DevicePath() + ":";
}

// A new data directory whose settings point at the phone: its port at
// 115,200 baud, the own service centre, no sounds, nothing deleted from the
// phone. `outbox` texts are queued, one per person.
fs::path TransferDirectory(const phonesim::SimulatedPhone& phone,
                           const std::vector<std::u16string>& outbox) {
    const fs::path folder = TempFolders().Make();
    platform::SilentSounds sounds;
    store::Store volume(folder, sounds);
    mivex::options::StoreOptions options(volume);
    using mivex::options::Option;
    const std::string port = PortSetting(phone);
    bool ready = options.WriteOption(Option::Port, std::u16string(port.begin(), port.end())) &&
                 options.WriteOption(Option::BaudRate, kBaudRate) &&
                 options.WriteOption(Option::SoundsOff, 1) &&
                 options.WriteOption(Option::DeleteAfterReceive, 0) &&
                 options.WriteOption(Option::UsePhoneServiceCentre, 0) &&
                 options.WriteOption(Option::ServiceCentre,
                                     std::u16string(mivex::bench::kServiceCentre.begin(),
                                                    mivex::bench::kServiceCentre.end())) &&
                 options.WriteOption(Option::ValidityPeriod, 2);
    if (ready && !outbox.empty()) {
        store::FolderHandle queued = volume.OpenFolder(store::kOutboxName, store::kOutboxByDate);
        for (std::size_t index = 0; ready && index < outbox.size(); ++index) {
            const int person = static_cast<int>(index);
            const store::OutboxRecord record{mivex::bench::PersonNumber(person),
                                             u"Person " + mivex::bench::PersonNumber(person),
                                             kYear2026 + index * kMinute, outbox[index], 0};
            ready = queued && queued->WriteRecord(0, store::ToProps(record)) != 0;
        }
        if (queued)
            (void)volume.CloseFolder(queued);
    }
    if (!ready)
        throw std::runtime_error("the transfer's data directory could not be made");
    return folder;
}

std::size_t CountRecords(const fs::path& dataDirectory, std::u16string_view name,
                         store::PropId sort) {
    platform::SilentSounds sounds;
    store::Store volume(dataDirectory, sounds);
    store::FolderHandle folder = volume.OpenFolder(name, sort);
    std::size_t count = 0;
    if (folder) {
        for (store::ObjectId id = folder->SeekBeginning(); id != 0; id = folder->SeekForward())
            ++count;
        (void)volume.CloseFolder(folder);
    }
    return count;
}

void RemoveDirectory(const fs::path& folder) {
    std::error_code ignored;
    fs::remove_all(folder, ignored);
}

// One transfer both ways in turn, the window's first in every other pair
// (the one that goes second finds the phone just left by the first); the
// figures are the medians of the runs and of their pairwise ratios, and the
// ratios' medians by which went first.
class PairedRuns {
public:
    template <class Window, class Cli>
    void InTurn(const Window& window, const Cli& cli) {
        windowFirst_ = !windowFirst_;
        if (windowFirst_) {
            window();
            cli();
        } else {
            cli();
            window();
        }
    }
    void Add(double windowSeconds, double cliSeconds) {
        window_.push_back(windowSeconds);
        cli_.push_back(cliSeconds);
        ratios_.push_back(windowSeconds / cliSeconds);
        (windowFirst_ ? windowFirstRatios_ : cliFirstRatios_).push_back(ratios_.back());
    }
    void Report(benchmark::State& state) const {
        state.counters["window_s"] = Median(window_);
        state.counters["cli_s"] = Median(cli_);
        state.counters["ratio"] = Median(ratios_);
        if (!windowFirstRatios_.empty())
            state.counters["ratio_window_first"] = Median(windowFirstRatios_);
        if (!cliFirstRatios_.empty())
            state.counters["ratio_cli_first"] = Median(cliFirstRatios_);
    }

private:
    bool windowFirst_ = false;
    std::vector<double> window_, cli_, ratios_, windowFirstRatios_, cliFirstRatios_;
};

double WindowReceive(phonesim::SimulatedPhone& phone, int texts, bool& ok) {
    const fs::path data = TransferDirectory(phone, {});
    double seconds = 0;
    {
        InboxSession session(data);
        PaintWatch watch;
        std::unique_ptr<app::InboxView> view = session.Open(watch);
        if (view) {
            const auto start = SteadyClock::now();
            view->OnCommand(app::cmd::Receive);
            seconds = SecondsSince(start);
            ok = view->List().count() == texts;
        } else {
            ok = false;
        }
    }
    RemoveDirectory(data);
    return seconds;
}

double CliTransfer(phonesim::SimulatedPhone& phone, const fs::path& data, const char* command) {
    const ProcessRun run = RunProcess(
        {MIVEX_CLI, "--data-dir", data.string(), "--port", PortSetting(phone), command}, {});
    return run.ok ? run.seconds : -1;
}

// Times the window's run against mivex-cli's `command` on a fresh data folder
// with `outbox` queued, in pairs; `stored` says whether the cli's run left its
// folder as it should.
template <class Window, class Stored>
void PairWithCli(benchmark::State& state, phonesim::SimulatedPhone& phone,
                 const std::vector<std::u16string>& outbox, const char* command,
                 const char* failure, const Window& window, const Stored& stored) {
    PairedRuns runs;
    for (auto _ : state) {
        bool windowOk = false;
        bool cliOk = false;
        double windowSeconds = 0;
        double cliSeconds = 0;
        const auto runWindow = [&] { windowSeconds = window(windowOk); };
        const auto runCli = [&] {
            const fs::path data = TransferDirectory(phone, outbox);
            cliSeconds = CliTransfer(phone, data, command);
            cliOk = cliSeconds > 0 && stored(data);
            RemoveDirectory(data);
        };
        runs.InTurn(runWindow, runCli);
        if (!windowOk || !cliOk) {
            state.SkipWithError(failure);
            return;
        }
        state.SetIterationTime(windowSeconds);
        runs.Add(windowSeconds, cliSeconds);
    }
    runs.Report(state);
}

void TransferReceive(benchmark::State& state) {
    const int messages = static_cast<int>(state.range(0));
    mivex::bench::PhoneFill fill = mivex::bench::ReceiveStores(messages);
    std::string error;
    const std::unique_ptr<phonesim::SimulatedPhone> phone =
        StartPhone(std::move(fill.stores), error);
    if (!phone) {
        state.SkipWithError(("failed: " + error).c_str());
        return;
    }
    PairWithCli(
        state, *phone, {}, "receive", "failed: a receive run did not store every message",
        [&](bool& ok) { return WindowReceive(*phone, fill.texts, ok); },
        [&](const fs::path& data) {
            return CountRecords(data, store::kInboxName, store::kInboxByDate) ==
                   static_cast<std::size_t>(fill.texts);
        });
    state.counters["texts"] = fill.texts;
}

double WindowSend(phonesim::SimulatedPhone& phone, const std::vector<std::u16string>& texts,
                  bool& ok) {
    const fs::path data = TransferDirectory(phone, texts);
    double seconds = 0;
    {
        Session session(data);
        app::ComposeView compose(session.window, session.context);
        session.window.PushPage(&compose);
        app::OutboxView view(session.window, session.context);
        session.window.PushPage(&view);
        session.window.show();
        Settle();
        // Send All: every row selected, then sent.
        const auto start = SteadyClock::now();
        view.List().selectAll();
        view.OnCommand(app::cmd::SendSelected);
        seconds = SecondsSince(start);
        ok = view.List().count() == 0;
    }
    ok = ok && CountRecords(data, store::kSentName, store::kSentByDate) == texts.size();
    RemoveDirectory(data);
    return seconds;
}

void TransferSend(benchmark::State& state) {
    const int messages = static_cast<int>(state.range(0));
    const std::vector<std::u16string> texts = mivex::bench::OutboxTexts(messages, messages / 5);
    std::string error;
    const std::unique_ptr<phonesim::SimulatedPhone> phone = StartPhone(
        phonesim::PhoneStores{phonesim::MessageStore(), phonesim::MessageStore()}, error);
    if (!phone) {
        state.SkipWithError(("failed: " + error).c_str());
        return;
    }
    PairWithCli(
        state, *phone, texts, "send", "failed: a send run did not send every message",
        [&](bool& ok) { return WindowSend(*phone, texts, ok); },
        [&](const fs::path& data) {
            return CountRecords(data, store::kSentName, store::kSentByDate) == texts.size();
        });
}

}  // namespace

// The small sizes are what the smoke test runs; the others give the figures.
BENCHMARK(Startup)
    ->ArgNames({"contacts", "ready"})
    ->Args({100, 0})
    ->Args({100, 1})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(Startup)
    ->ArgNames({"contacts", "ready"})
    ->Args({0, 0})
    ->Args({10'000, 0})
    ->Args({10'000, 1})
    ->Iterations(15)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

BENCHMARK(StartupSteps)
    ->ArgName("contacts")
    ->Arg(100)
    ->Arg(10'000)
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);

BENCHMARK(StartupContactBoxOnly)
    ->ArgName("contacts")
    ->Arg(100)
    ->Arg(10'000)
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);

BENCHMARK(Typing)->ArgName("chars")->Arg(100)->Arg(9'999)->Unit(benchmark::kMicrosecond);
BENCHMARK(ViewSwitches)
    ->ArgName("switches")
    ->Arg(100)
    ->Arg(1'000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

BENCHMARK(InboxCoreFill)
    ->ArgName("records")
    ->Arg(1'000)
    ->Arg(100'000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(InboxListWidgetOnly)
    ->ArgName("records")
    ->Arg(1'000)
    ->Arg(100'000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(InboxOpen)->ArgName("records")->Arg(1'000)->UseManualTime()->Unit(
    benchmark::kMillisecond);
BENCHMARK(InboxOpen)->ArgName("records")->Arg(100'000)->Iterations(7)->UseManualTime()->Unit(
    benchmark::kMillisecond);
BENCHMARK(InboxSortBySender)->ArgName("records")->Arg(1'000)->Unit(benchmark::kMillisecond);
BENCHMARK(InboxSortBySender)
    ->ArgName("records")
    ->Arg(100'000)
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(InboxDeleteSelected)
    ->ArgNames({"records", "selected"})
    ->Args({1'000, 100})
    ->Args({100'000, 1'000})
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(InboxShowSelected)
    ->ArgName("records")
    ->Arg(1'000)
    ->Arg(100'000)
    ->Unit(benchmark::kMillisecond);

BENCHMARK(TransferReceive)
    ->ArgName("messages")
    ->Arg(3)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);
BENCHMARK(TransferReceive)
    ->ArgName("messages")
    ->Arg(250)
    ->Iterations(4)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);
BENCHMARK(TransferSend)
    ->ArgName("messages")
    ->Arg(3)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);
BENCHMARK(TransferSend)
    ->ArgName("messages")
    ->Arg(50)
    ->Iterations(4)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

// The views need a QApplication; offscreen unless told otherwise, so the
// benchmarks run without a display. Boxes are answered, never shown.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    // The offscreen platform's note on every window shown says nothing here.
    static const QtMessageHandler standard = qInstallMessageHandler(nullptr);
    qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext& where, const QString& text) {
            if (!text.contains(QLatin1String("propagateSizeHints")))
                standard(type, where, text);
        });
    app::QtPrompter::AnswerNextBoxes({});
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
