#pragma once

// The pieces a transfer run is handed, as plain as a benchmark needs them: a
// real clock that adds up the pauses asked of it, a status
// sink that only counts, and a fresh store in a directory of its own with the
// options that point the run at the simulated phone.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "options/options_record.h"
#include "platform/clock.h"
#include "platform/sounds.h"
#include "platform/status_sink.h"
#include "store/store.h"

namespace mivex::bench {

// The system clock; every pause still really sleeps.
class PauseCountingClock final : public platform::Clock {
public:
    [[nodiscard]] std::uint64_t NowMs() override { return system_.NowMs(); }
    void SleepMs(std::uint32_t milliseconds) override {
        pausedMs_ += milliseconds;
        system_.SleepMs(milliseconds);
    }
    [[nodiscard]] platform::LocalTime Local() override { return system_.Local(); }

    [[nodiscard]] std::uint64_t PausedMs() const { return pausedMs_; }

private:
    platform::SystemClock system_;
    std::uint64_t pausedMs_ = 0;
};

class CountingStatus final : public platform::StatusSink {
public:
    void ShowStatus(std::u16string_view text, platform::StatusBeep,
                    platform::StatusColour) override {
        last_ = text;
        ++texts_;
    }
    [[nodiscard]] const std::u16string& Last() const { return last_; }
    [[nodiscard]] int Texts() const { return texts_; }

private:
    std::u16string last_;
    int texts_ = 0;
};

// A store in a new temporary directory, removed with it; its options name
// `devicePath` as the port at `baudRate`, with the own service centre, no
// sounds and nothing deleted from the phone.
class ScratchStore {
public:
    ScratchStore(const std::string& devicePath, int baudRate);
    ~ScratchStore();
    ScratchStore(const ScratchStore&) = delete;
    ScratchStore& operator=(const ScratchStore&) = delete;

    // False when the directory or the options could not be made.
    [[nodiscard]] bool Ready() const { return ready_; }
    [[nodiscard]] store::Store& Store() { return *store_; }
    [[nodiscard]] options::StoreOptions& Options() { return *options_; }

private:
    std::filesystem::path directory_;
    platform::SilentSounds sounds_;
    std::unique_ptr<store::Store> store_;
    std::unique_ptr<options::StoreOptions> options_;
    bool ready_ = false;
};

// A new directory under the system's temporary folder; empty on failure.
[[nodiscard]] std::filesystem::path MakeScratchDirectory();

}  // namespace mivex::bench
