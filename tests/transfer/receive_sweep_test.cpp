// The receive run with "Delete messages after receive" on, against the
// simulated phone in virtual time, with one exchange going wrong at a time:
// an answer past its time-out, noise, a stray line, silence, an error. Two
// runs each; after each, every message is in the Inbox or still on the phone.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "fake_clock.h"
#include "fake_controls.h"
#include "fake_options.h"
#include "phone_fixtures.h"
#include "phonesim/at_interpreter.h"
#include "scripted_line.h"
#include "sms/deliver_decoder.h"
#include "transfer/receive_run.h"
#include "transfer_fixture.h"

namespace mivex::transfer::test {
namespace {

using phonesim::FaultKind;

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

std::vector<std::u16string> PhoneTexts(const phonesim::PhoneStores& stores) {
    std::vector<std::u16string> texts;
    for (const phonesim::MessageStore* store : {&stores.phone, &stores.sim}) {
        for (const auto& [slot, message] : store->Messages())
            texts.push_back(sms::DecodeDeliver(message.pdu).message.Text);
    }
    return texts;
}

std::vector<std::u16string> InboxTexts(store::Folder& inbox) {
    std::vector<std::u16string> texts;
    store::PropArray props;
    (void)store::ScanRecords(inbox, props, [&](store::ObjectId, const store::PropArray& read) {
        texts.push_back(store::AsInboxRecord(read).value_or(store::InboxRecord{}).Text);
    });
    return texts;
}

TEST(ReceiveSweep, NoMessageIsEverGoneFromThePhoneWithoutBeingInTheInbox) {
    // A full phone memory and a full SIM: every slot position is read and deleted.
    const std::vector<std::u16string> texts = {u"m1", u"m2", u"m3", u"s1", u"s2"};
    const auto fullStores = [&] {
        return Stores(
            3,
            {{1, Delivered(texts[0])[0]}, {2, Delivered(texts[1])[0]}, {3, Delivered(texts[2])[0]}},
            {{1, Delivered(texts[3])[0]}, {2, Delivered(texts[4])[0]}});
    };
    // Late answers: just past the 3000 ms time-out, and past the first
    // attempt to bring the line back too.
    const std::pair<FaultKind, std::string_view> faults[] = {
        {FaultKind::Late, "3500"},      {FaultKind::Late, "7000"},
        {FaultKind::Garbage, "600"},    {FaultKind::Garbage, "40"},
        {FaultKind::Unsolicited, "OK"}, {FaultKind::Unsolicited, "+CMTI: \"SM\",1"},
        {FaultKind::Silent, ""},        {FaultKind::Error, ""},
    };
    const std::string_view exchanges[] = {"+CPMS",   "+CMGR=1", "+CMGR=2", "+CMGR=3",
                                          "+CMGD=1", "+CMGD=2", "+CMGD=3"};
    // A fast line, and a slow one (a millisecond a byte) on which the rest of
    // an answer is still arriving when the next command could go.
    for (const std::uint32_t byteMs : {0u, 1u})
        for (const auto& [kind, argument] : faults) {
            for (const std::string_view exchange : exchanges) {
                const std::string request =
                    std::string(exchange) + (argument.empty() ? "" : " ") + std::string(argument);
                SCOPED_TRACE(::testing::Message() << static_cast<int>(kind) << " " << request
                                                  << " at " << byteMs << " ms a byte");
                VirtualRunSeams seams;
                seams.options.integers[options::Option::DeleteAfterReceive] = 1;
                PhoneInVirtualTime phone(
                    seams.line, fullStores(),
                    phonesim::test::Plan({phonesim::test::Fault(kind, request)}), byteMs);
                testing::TempDir directory;
                store::Store store(directory.path(), seams.sounds);
                store::FolderHandle inbox =
                    store.OpenFolder(store::kInboxName, store::kInboxByDate);
                ASSERT_TRUE(inbox.valid());

                for (int run = 1; run <= 2; ++run) {
                    SCOPED_TRACE(::testing::Message() << "run " << run);
                    const ReceiveResult result = ReceiveMessages(seams.context, *inbox, nullptr);
                    const std::vector<std::u16string> stored = InboxTexts(*inbox);
                    const std::vector<std::u16string> kept = PhoneTexts(phone.Stores());
                    for (const std::u16string& text : texts) {
                        const auto inInbox = std::count(stored.begin(), stored.end(), text);
                        EXPECT_LE(inInbox, 1) << "stored twice";
                        EXPECT_TRUE(inInbox == 1 ||
                                    std::find(kept.begin(), kept.end(), text) != kept.end())
                            << "lost";
                        // A store whose selection is refused is taken for one the
                        // phone does not have, and skipped as complete.
                        const bool storesRefused = kind == FaultKind::Error && exchange == "+CPMS";
                        if (result == ReceiveResult::Complete && !storesRefused) {
                            EXPECT_EQ(inInbox, 1) << "not stored by a complete run";
                        }
                    }
                }
            }
        }
}

}  // namespace
}  // namespace mivex::transfer::test
