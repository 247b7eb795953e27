// Inbox maintenance, list filling and export over volumes built once per
// size, each set against its reference in the same run:
// - JoinAndDedupe/SingleScan against JoinAndDedupe/Rescanning;
// - InboxFill and Export against BareInboxRead, a plain SQLite SELECT of the
//   columns the store keeps for each record, in the folder's order; Export
//   also against BareReadAndDurableWrite, that read plus writing as many
//   bytes as the export into a new file made durable and renamed.
// VolumeSize reports the file size per 10,000 messages of 160 characters.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "fake_controls.h"
#include "inbox_maintenance_oracle.h"
#include "platform/memory_controls.h"
#include "store/discarding_compose_target.h"
#include "store/folder_listing.h"
#include "store/inbox_maintenance.h"
#include "store/message_records.h"
#include "store/store.h"
#include "store/text_export.h"
#include "temp_folders.h"

namespace {

namespace fs = std::filesystem;
using mivex::store::InboxRecord;

constexpr mivex::sms::FileTime kYear2026 = 133'800'000'000'000'000ULL;
constexpr mivex::sms::FileTime kMinute = 600'000'000ULL;

using mivex::bench::TempFolders;

std::u16string Digits(std::size_t number) {
    const std::string text = std::to_string(number);
    return std::u16string(text.begin(), text.end());
}

std::u16string MessageText(std::mt19937& random, std::size_t length) {
    std::u16string text(length, u' ');
    for (char16_t& unit : text)
        unit = static_cast<char16_t>(u'a' + random() % 26);
    return text;
}

// An Inbox after a receive: whole messages, the parts of long messages
// (three each) spread among them, and some messages read twice.
std::vector<InboxRecord> ReceivedInbox(std::size_t records, std::size_t parts) {
    std::mt19937 random(7);
    std::vector<InboxRecord> inbox;
    const auto time = [&] { return kYear2026 + (random() % 500'000) * kMinute; };
    for (std::size_t message = 0; message < parts / 3; ++message) {
        const std::u16string sender = u"+447700" + Digits(random() % 200);
        const auto ref = static_cast<std::int32_t>(random() % 256);
        const mivex::sms::FileTime stamp = time();
        for (std::int32_t seq = 1; seq <= 3; ++seq)
            inbox.push_back({sender, stamp, MessageText(random, 153), 1, ref, 3, seq, 1, u"", u""});
    }
    while (inbox.size() < records) {
        if (inbox.size() % 20 == 0 && !inbox.empty()) {
            inbox.push_back(inbox[random() % inbox.size()]);
            continue;
        }
        inbox.push_back({u"+447700" + Digits(random() % 200), time(), MessageText(random, 160), 0,
                         0, 0, 0, static_cast<std::int32_t>(random() % 2), u"", u""});
    }
    std::shuffle(inbox.begin(), inbox.end(), random);
    return inbox;
}

// Named, listable messages: what the views show.
std::vector<InboxRecord> NamedInbox(std::size_t records) {
    std::mt19937 random(11);
    std::vector<InboxRecord> inbox;
    inbox.reserve(records);
    for (std::size_t index = 0; index < records; ++index) {
        const std::u16string name = u"Contact " + Digits(random() % 500);
        const mivex::sms::FileTime stamp = kYear2026 + (random() % 500'000) * kMinute;
        inbox.push_back({u"+447700" + Digits(random() % 500), stamp, MessageText(random, 160), 0, 0,
                         0, 0, static_cast<std::int32_t>(random() % 2), name,
                         mivex::store::MakeSortKey(name, stamp)});
    }
    return inbox;
}

fs::path VolumeFile(const fs::path& dataFolder) {
    return dataFolder / "Database" / "smsdata.cdb";
}

// A data folder whose Inbox holds the records.
fs::path BuildVolume(const std::vector<InboxRecord>& records) {
    const fs::path folder = TempFolders().Make();
    mivex::platform::SilentSounds sounds;
    mivex::store::Store store(folder, sounds);
    mivex::store::FolderHandle inbox =
        store.OpenFolder(mivex::store::kInboxName, mivex::store::kInboxByDate);
    if (!inbox || !inbox->Atomically([&] {
            for (const InboxRecord& record : records) {
                if (inbox->WriteRecord(0, mivex::store::ToProps(record)) == 0)
                    return false;
            }
            return true;
        }))
        throw std::runtime_error("volume not built");
    return folder;
}

const fs::path& ReceivedVolume(std::size_t records, std::size_t parts) {
    static std::map<std::pair<std::size_t, std::size_t>, fs::path> built;
    auto [place, fresh] = built.try_emplace({records, parts});
    if (fresh)
        place->second = BuildVolume(ReceivedInbox(records, parts));
    return place->second;
}

const fs::path& NamedVolume(std::size_t records) {
    static std::map<std::size_t, fs::path> built;
    auto [place, fresh] = built.try_emplace(records);
    if (fresh)
        place->second = BuildVolume(NamedInbox(records));
    return place->second;
}

enum class Steps { SingleScan, Rescanning };

void JoinAndDedupe(benchmark::State& state, Steps steps) {
    const auto records = static_cast<std::size_t>(state.range(0));
    const auto parts = static_cast<std::size_t>(state.range(1));
    const fs::path& original = ReceivedVolume(records, parts);
    const fs::path work = TempFolders().Make();
    mivex::platform::SilentSounds sounds;
    for (auto _ : state) {
        state.PauseTiming();
        fs::create_directories(work / "Database");
        fs::copy_file(VolumeFile(original), VolumeFile(work), fs::copy_options::overwrite_existing);
        state.ResumeTiming();

        mivex::store::Store store(work, sounds);
        mivex::store::FolderHandle inbox =
            store.OpenFolder(mivex::store::kInboxName, mivex::store::kInboxByDate);
        const int joined = steps == Steps::SingleScan ? mivex::store::JoinParts(*inbox)
                                                      : mivex::testing::RescanningJoinParts(*inbox);
        const int removed = steps == Steps::SingleScan
                                ? mivex::store::RemoveDuplicates(*inbox)
                                : mivex::testing::RescanningRemoveDuplicates(*inbox);
        state.counters["joined"] = joined;
        state.counters["removed"] = removed;
    }
}

void InboxFill(benchmark::State& state) {
    const fs::path& folder = NamedVolume(static_cast<std::size_t>(state.range(0)));
    mivex::platform::SilentSounds sounds;
    mivex::store::Store store(folder, sounds);
    mivex::store::FolderHandle inbox =
        store.OpenFolder(mivex::store::kInboxName, mivex::store::kInboxByDate);
    mivex::platform::MemoryList list;
    mivex::testing::FakeTextControl text;
    mivex::testing::FakeTextControl counter;
    mivex::testing::RecordingStatusSink status;
    mivex::testing::ScriptedPrompter prompter;
    mivex::store::DiscardingComposeTarget compose;
    const mivex::store::FolderViewControls view{list, text, counter, status, prompter};
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            mivex::store::InboxListOp(view, compose, mivex::store::ListOperation::Fill, *inbox));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void Export(benchmark::State& state) {
    const fs::path& folder = NamedVolume(static_cast<std::size_t>(state.range(0)));
    mivex::platform::SilentSounds sounds;
    mivex::store::Store store(folder, sounds);
    const fs::path target = folder / "export.txt";
    for (auto _ : state)
        benchmark::DoNotOptimize(mivex::store::ExportMessages(store, target));
    state.counters["bytes"] = static_cast<double>(fs::file_size(target));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// The volume opened with SQLite alone, and the one SELECT of every Inbox
// record's id and stored properties in date order that any reader must run.
class BareInboxQuery {
public:
    explicit BareInboxQuery(const fs::path& folder) {
        if (sqlite3_open_v2(VolumeFile(folder).c_str(), &db_, SQLITE_OPEN_READONLY, nullptr) !=
                SQLITE_OK ||
            sqlite3_prepare_v2(db_,
                               "SELECT id, props FROM records WHERE folder = (SELECT id FROM "
                               "folders WHERE name = 'Inbox') ORDER BY date_key",
                               -1, &select_, nullptr) != SQLITE_OK) {
            sqlite3_close(db_);
            throw std::runtime_error("volume does not open");
        }
    }
    ~BareInboxQuery() {
        sqlite3_finalize(select_);
        sqlite3_close(db_);
    }
    BareInboxQuery(const BareInboxQuery&) = delete;
    BareInboxQuery& operator=(const BareInboxQuery&) = delete;

    sqlite3_stmt* select() const { return select_; }

private:
    sqlite3* db_ = nullptr;
    sqlite3_stmt* select_ = nullptr;
};

// What any reader of the volume must at least do: one SELECT of every
// record's id and stored properties, in the Inbox's date order.
void BareInboxRead(benchmark::State& state) {
    const fs::path& folder = NamedVolume(static_cast<std::size_t>(state.range(0)));
    const BareInboxQuery query(folder);
    sqlite3_stmt* select = query.select();
    for (auto _ : state) {
        std::size_t bytes = 0;
        while (sqlite3_step(select) == SQLITE_ROW) {
            bytes += static_cast<std::size_t>(sqlite3_column_int64(select, 0));
            const void* props = sqlite3_column_blob(select, 1);
            bytes += static_cast<std::size_t>(sqlite3_column_bytes(select, 1));
            benchmark::DoNotOptimize(props);
        }
        sqlite3_reset(select);
        benchmark::DoNotOptimize(bytes);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// The bare read, then as many bytes as the export writes put durably into a
// new file: the least any export must do, reading and writing included.
void BareReadAndDurableWrite(benchmark::State& state) {
    const fs::path& folder = NamedVolume(static_cast<std::size_t>(state.range(0)));
    const fs::path target = folder / "reference.txt";
    mivex::platform::SilentSounds sounds;
    mivex::store::Store store(folder, sounds);
    const fs::path exported = folder / "sized.txt";
    (void)mivex::store::ExportMessages(store, exported);
    const std::string bytes(fs::file_size(exported), 'x');
    const BareInboxQuery query(folder);
    sqlite3_stmt* select = query.select();
    for (auto _ : state) {
        std::size_t read = 0;
        while (sqlite3_step(select) == SQLITE_ROW)
            read += static_cast<std::size_t>(sqlite3_column_bytes(select, 1));
        sqlite3_reset(select);
        benchmark::DoNotOptimize(read);
        const fs::path temporary = folder / "reference.tmp";
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        for (std::size_t done = 0; done < bytes.size();) {
            const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
            if (written <= 0)
                break;
            done += static_cast<std::size_t>(written);
        }
        ::fsync(fd);
        ::close(fd);
        ::rename(temporary.c_str(), target.c_str());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void VolumeSize(benchmark::State& state) {
    const auto records = static_cast<std::size_t>(state.range(0));
    for (auto _ : state) {
        const fs::path& folder = NamedVolume(records);
        state.counters["bytes_per_10k_messages"] =
            static_cast<double>(fs::file_size(VolumeFile(folder))) * 10'000.0 /
            static_cast<double>(records);
    }
}

// The small sizes (300 records, 1000 messages) are what the smoke test runs;
// the others give the figures.
void JoinSizes(benchmark::internal::Benchmark* benchmark) {
    benchmark->ArgNames({"records", "parts"})->Args({300, 90})->Args({10'000, 3'000});
}

}  // namespace

BENCHMARK_CAPTURE(JoinAndDedupe, SingleScan, Steps::SingleScan)
    ->Apply(JoinSizes)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(JoinAndDedupe, Rescanning, Steps::Rescanning)
    ->Apply(JoinSizes)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK(InboxFill)->Arg(1'000)->Arg(100'000)->Unit(benchmark::kMillisecond);
BENCHMARK(Export)->Arg(1'000)->Arg(100'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BareInboxRead)->Arg(1'000)->Arg(100'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BareReadAndDurableWrite)->Arg(1'000)->Arg(100'000)->Unit(benchmark::kMillisecond);
BENCHMARK(VolumeSize)->Arg(1'000)->Arg(10'000)->Iterations(1);
