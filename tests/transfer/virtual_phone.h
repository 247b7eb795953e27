#pragma once

// The simulated phone's interpreter on a scripted line in virtual time, so
// that runs meeting time-outs and late answers take no real time.

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

#include "fake_clock.h"
#include "fake_controls.h"
#include "fake_options.h"
#include "phone_fixtures.h"
#include "phonesim/at_interpreter.h"
#include "scripted_line.h"
#include "transfer/transfer_context.h"

namespace mivex::transfer::test {

// The simulated phone's interpreter behind a scripted line. Its answers
// arrive in virtual time, each behind whatever is still on its way, as a
// phone answers in order; a late answer is held back as its fault says. On a
// slow line each byte takes `byteMs` to arrive.
class PhoneInVirtualTime {
public:
    PhoneInVirtualTime(phone::test::ScriptedLine& line, phonesim::PhoneStores stores,
                       phonesim::FaultPlan faults = {}, std::uint32_t byteMs = 0)
        : line_(line),
          byteMs_(byteMs),
          interpreter_(std::move(stores), {}, std::move(faults), phonesim::test::FixedTime) {
        line_.onWrite = [this](std::string_view bytes) { Answer(bytes); };
    }

    [[nodiscard]] const phonesim::PhoneStores& Stores() const { return interpreter_.Stores(); }
    [[nodiscard]] const std::vector<phonesim::SubmittedPdu>& Submitted() const {
        return submitted_;
    }

private:
    void Answer(std::string_view bytes) {
        const phonesim::InterpreterOutput out = interpreter_.Feed(bytes);
        submitted_.insert(submitted_.end(), out.submitted.begin(), out.submitted.end());
        const std::string_view answer = out.bytes;
        const std::size_t held = out.hold ? out.hold->from : answer.size();
        Arrive(answer.substr(0, held), 0);
        if (out.hold)
            Arrive(answer.substr(held), static_cast<std::uint32_t>(out.hold->ms));
    }

    void Arrive(std::string_view bytes, std::uint32_t delayMs) {
        const std::uint64_t now = line_.clock.NowMs();
        const std::uint64_t first = std::max(lastArrivalMs_, now + delayMs);
        line_.ArriveIn(bytes, static_cast<std::uint32_t>(first - now), byteMs_);
        lastArrivalMs_ = first + byteMs_ * bytes.size();
    }

    phone::test::ScriptedLine& line_;
    std::uint32_t byteMs_;
    phonesim::Interpreter interpreter_;
    std::uint64_t lastArrivalMs_ = 0;
    std::vector<phonesim::SubmittedPdu> submitted_;
};

// What a run is handed, on a scripted line in virtual time; the Port option
// names the line.
struct VirtualRunSeams {
    VirtualRunSeams() { options.strings[options::Option::Port] = u"COM1:"; }

    testing::FakeClock clock;
    phone::test::ScriptedLine line{clock};
    phone::test::ScriptedOpener opener{line};
    testing::CountingSounds sounds;
    testing::RecordingStatusSink status;
    testing::FakeOptions options;
    phone::LinkContext link{clock, opener, sounds, nullptr};
    TransferContext context{link, options, status};
};

}  // namespace mivex::transfer::test
