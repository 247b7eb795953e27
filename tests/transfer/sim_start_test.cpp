// A receive against a phone whose SIM card is locked, blocked, missing or
// slow to start: what the run shows, that the PIN goes to the phone at most
// once, and that it never reaches the trace file.

#include <gtest/gtest.h>

#include "link_fixture.h"
#include "phone/sim_state.h"
#include "transfer/receive_run.h"
#include "transfer_fixture.h"

namespace mivex::transfer::test {
namespace {

using phone::SimState;

class FakePins final : public platform::PinPrompter {
public:
    std::optional<platform::PinEntry> AskPin(const platform::PinQuestion& question) override {
        asked.push_back(question.triesLeft);
        return answer;
    }
    std::optional<platform::PinEntry> answer;
    std::vector<std::optional<int>> asked;  // the tries left each question showed
};

struct SimCase {
    const char* name;
    phonesim::SimSettings sim;
    std::optional<std::string> typed;  // nothing: Cancel
    std::vector<std::optional<int>> asked;
    std::u16string_view failure;  // empty: the run completes
};

std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

class SimStart : public TransferOnPty {};

TEST_F(SimStart, EachStateAndEachAnswerToThePin) {
    phonesim::SimSettings locked;
    locked.pin = "1234";
    const auto withTries = [&](int tries) {
        phonesim::SimSettings sim = locked;
        sim.pinTries = tries;
        return sim;
    };
    phonesim::SimSettings missing;
    missing.present = false;
    phonesim::SimSettings slow = locked;
    slow.busyAfterUnlock = 100;
    const std::vector<SimCase> cases = {
        {"not locked", {}, {}, {}, {}},
        {"right PIN", locked, "1234", {3}, {}},
        {"wrong PIN", locked, "9999", {3}, phone::kWrongPinText},
        {"cancelled", locked, {}, {3}, phone::kPinNotGivenText},
        {"letters", locked, "12a4", {3}, phone::kBadPinText},
        {"too short", locked, "123", {3}, phone::kBadPinText},
        {"last try wrong", withTries(1), "9999", {1}, phone::SimStateText(SimState::SimPuk)},
        {"blocked", withTries(0), "1234", {}, phone::SimStateText(SimState::SimPuk)},
        {"no SIM", missing, "1234", {}, phone::SimStateText(SimState::NoSim)},
        {"never ready", slow, "1234", {3}, phone::kSimNotReadyText},
    };
    for (const SimCase& c : cases) {
        SCOPED_TRACE(c.name);
        phonesim::PhoneSetup setup;
        setup.stores = Stores(5, {{2, Delivered(u"Hello")[0]}});
        setup.settings.sim = c.sim;
        setup.clock = phonesim::test::FixedTime;
        phone = std::make_unique<phonesim::SimulatedPhone>(std::move(setup));
        std::string error;
        ASSERT_TRUE(phone->Start(error)) << error;
        const std::string& path = phone->DevicePath();
        options.strings[options::Option::Port] = std::u16string(path.begin(), path.end()) + u":";
        FakePins pins;
        if (c.typed)
            pins.answer = platform::PinEntry{*c.typed, false};
        link.pins = &pins;
        log.events.clear();
        FreshStore();
        store::FolderHandle inbox = Open(store::kInboxName);
        phone::Trace trace(log, store->DataDirectory());
        ASSERT_TRUE(trace.TraceWrite(phone::TraceKind::Open));
        link.trace = &trace;

        const ReceiveResult result = ReceiveMessages(context, *inbox, nullptr);
        (void)trace.TraceWrite(phone::TraceKind::Close);
        link.trace = nullptr;
        phone->Stop();

        EXPECT_EQ(pins.asked, c.asked);
        const std::string traced = phone::test::ReadFile(trace.FilePath());
        // A PIN of digits goes to the phone once, masked in the trace.
        const bool sent = !c.asked.empty() && c.typed && c.typed->size() >= 4 &&
                          c.typed->find('a') == std::string::npos;
        EXPECT_EQ(Count(traced, "AT+CPIN=\"****\"\r"), sent ? 1u : 0u);
        EXPECT_EQ(Count(traced, "AT+CPIN=\""), sent ? 1u : 0u);
        if (c.typed) {
            EXPECT_EQ(Count(traced, *c.typed), 0u);
        }
        if (c.failure.empty()) {
            EXPECT_EQ(result, ReceiveResult::Complete);
            EXPECT_EQ(RunEvents().back(), u"You have 1 new messages..");
        } else {
            EXPECT_EQ(result, ReceiveResult::NoConnection);
            EXPECT_EQ(RunEvents().back(), Coloured(1, 2, c.failure));
            // Nothing was asked of the stores.
            EXPECT_EQ(Count(traced, "AT+CMGR"), 0u);
        }
    }
}

}  // namespace
}  // namespace mivex::transfer::test
