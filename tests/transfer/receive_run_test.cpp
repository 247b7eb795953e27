// The receive run: which slots it reads, what it shows, what it leaves on the
// phone and what it stores, on a real line and, with faults, in virtual time.

#include "transfer/receive_run.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "fake_clock.h"
#include "phone/phone_link.h"
#include "phonesim/at_interpreter.h"
#include "scripted_line.h"
#include "sms/deliver_decoder.h"
#include "sms/hex_text.h"
#include "store/inbox_writer.h"
#include "transfer_fixture.h"

namespace mivex::transfer::test {
namespace {

using phonesim::FaultKind;
using phonesim::test::Fault;
using phonesim::test::Plan;

const std::u16string S(kSearchingText);

const auto R = [](int n) { return WithCount(u"Receiving message ", n); };
const auto D = [](int n) { return WithCount(u"Deleting message ", n); };

// A linked run's texts: the scan, then the count of new messages, or the
// count read when some were left unread or unstored on the phone.
Events Run(Events scan, std::u16string last) {
    scan.insert(scan.begin(), std::u16string(kLinked));
    scan.insert(scan.end(), {u"Please wait, looking up names..", last});
    return scan;
}
const auto Completed = [](const Events& scan, int n) {
    return Run(scan, WithCount(u"You have ", n, u" new messages.."));
};
const auto Incomplete = [](const Events& scan, int n) {
    return Run(scan, Coloured(1, 2, IncompleteText(n)));
};

std::vector<int> Slots(const phonesim::MessageStore& store) {
    std::vector<int> slots;
    for (const auto& [slot, message] : store.Messages())
        slots.push_back(slot);
    return slots;
}

// A status report, a SUBMIT the phone keeps and a DELIVER cut short inside its
// originator address: none of them becomes an Inbox record.
const Octets kStatusReport =
    sms::HexToBytes("0006010B914477000910F2423051419500404230514195004000");
const Octets kKeptSubmit = sms::HexToBytes(phonesim::test::kHiSubmit);
const Octets kBrokenDeliver = sms::HexToBytes("0004140000000000000000000000");

struct ReceiveCase {
    const char* name;
    int capacity;
    std::map<int, Octets> phone, sim;
    bool deleteAfter;
    phonesim::FaultPlan faults;
    bool readOnly;  // the store
    Events events;  // after the start-up
    std::vector<int> phoneKept, simKept;
    std::vector<std::u16string> inbox;  // sorted
};

class ReceiveRun : public TransferOnPty {
protected:
    // The texts of the Inbox records, sorted; every record reads whole and
    // carries the sender's name.
    std::vector<std::u16string> InboxTexts(store::Folder& inbox, std::u16string_view name) {
        std::vector<std::u16string> texts;
        for (const store::PropArray& props : ReadAll(inbox)) {
            const std::optional<store::InboxRecord> record = store::AsInboxRecord(props);
            EXPECT_TRUE(record.has_value());
            EXPECT_EQ(record.value_or(store::InboxRecord{}).SenderName, name);
            texts.push_back(record.value_or(store::InboxRecord{}).Text);
        }
        std::sort(texts.begin(), texts.end());
        return texts;
    }
};
class ReceiveSweep : public ReceiveRun {};

TEST_F(ReceiveRun, ReadsUsedSlotsAndDeletesOnlyWhatIsStored) {
    const Octets one = Delivered(u"one")[0], two = Delivered(u"two")[0],
                 three = Delivered(u"three")[0];
    const std::u16string longText(400, u'x');
    const std::vector<Octets> parts = Delivered(longText, 42);
    ASSERT_EQ(parts.size(), 3u);
    phonesim::FaultPlan emptySlotError;
    emptySlotError.emptySlotError = true;
    const phonesim::FaultPlan none, cmsOn2 = Plan({Fault(FaultKind::CmsError, "+CMGR=2 500")}),
                                    cutOn2 = Plan({Fault(FaultKind::Cut, "+CMGR=2 20")}),
                                    refusedDelete = Plan({Fault(FaultKind::Error, "+CMGD")}),
                                    refusedMe = Plan({Fault(FaultKind::Error, "+CPMS=\"ME\"")});
    const std::map<int, Octets> spread = {{2, one}, {5, two}, {9, three}},
                                first3 = {{1, one}, {2, two}, {3, three}};
    const std::vector<std::u16string> all3 = {u"one", u"three", u"two"};
    // clang-format off
    // name, capacity, phone, sim, deleteAfter, faults, readOnly, events, phoneKept, simKept, inbox
    const std::vector<ReceiveCase> cases = {
        {"scan ends at the last used slot", 20, spread, {}, false, none, false,
         Completed({S, R(1), S, S, R(2), S, S, S, R(3)}, 3), {2, 5, 9}, {}, all3},
        {"empty slots answering +CMS ERROR", 20, spread, {}, false, emptySlotError, false,
         Completed({S, R(1), S, S, R(2), S, S, S, R(3)}, 3), {2, 5, 9}, {}, all3},
        {"numbering goes on into the SIM", 5, first3, {{2, one}}, true, none, false,
         Completed({R(1), D(1), R(2), D(2), R(3), D(3), S, R(4), D(4)}, 3), {}, {}, all3},
        {"a store with none used is not read", 20, {}, {{3, two}}, false, none, false, Completed({S, S, R(1)}, 1), {}, {3}, {u"two"}},
        {"what is not stored stays on the phone", 5, {{1, kStatusReport}, {2, kKeptSubmit}, {3, kBrokenDeliver}, {4, one}}, {},
         true, none, false, Completed({R(1), R(2), R(3), R(4), D(4)}, 1), {1, 2, 3}, {}, {u"one"}},
        {"a failed write deletes nothing", 5, {{1, one}, {2, two}}, {}, true, none, true, Incomplete({R(1), R(2)}, 2), {1, 2}, {}, {}},
        {"parts are joined into one message", 5, {{1, parts[0]}, {2, parts[1]}, {3, parts[2]}, {4, two}}, {}, false, none, false,
         Completed({R(1), R(2), R(3), R(4)}, 2), {1, 2, 3, 4}, {}, {u"two", longText}},
        {"a slot answering +CMS ERROR is searched past", 4, first3, {}, true, cmsOn2, false,
         Incomplete({R(1), D(1), S, R(2), D(2), S}, 2), {2}, {}, {u"one", u"three"}},
        {"a line cut mid-run keeps what was read", 4, first3, {}, false, cutOn2, false, Incomplete({R(1)}, 1), {1, 2, 3}, {}, {u"one"}},
        // A phone without a phone memory refuses to select it; that is no fault of the run.
        {"a refused store is skipped", 5, {}, {{1, one}}, false, refusedMe, false, Completed({R(1)}, 1), {}, {1}, {u"one"}},
        {"a refused deletion shows nothing", 5, {{1, one}}, {}, true, refusedDelete, false, Completed({R(1)}, 1), {1}, {}, {u"one"}},
    };
    // clang-format on
    for (const ReceiveCase& c : cases) {
        SCOPED_TRACE(c.name);
        log.events.clear();
        FreshStore();
        if (c.readOnly) {
            ASSERT_TRUE(Open(store::kInboxName).valid());
            store->SetReadOnly(true);
        }
        store::FolderHandle inbox = Open(store::kInboxName);
        ASSERT_NO_FATAL_FAILURE(StartPhone(Stores(c.capacity, c.phone, c.sim), c.faults));
        options.integers[options::Option::DeleteAfterReceive] = c.deleteAfter ? 1 : 0;

        const bool incomplete = c.events.back().starts_with(Coloured(1, 2, kIncompleteLead));
        EXPECT_EQ(ReceiveMessages(context, *inbox,
                                  [](std::u16string_view) { return std::u16string(u"Ann"); }),
                  incomplete ? ReceiveResult::Incomplete : ReceiveResult::Complete);

        EXPECT_EQ(RunEvents(), c.events);
        phone->Stop();
        const phonesim::PhoneStores& kept = phone->Stores();
        EXPECT_EQ(Slots(kept.phone), c.phoneKept);
        EXPECT_EQ(Slots(kept.sim), c.simKept);
        EXPECT_EQ(InboxTexts(*inbox, u"Ann"), c.inbox);
    }
}

TEST_F(ReceiveRun, WithoutConnectionLeavesTheInboxAlone) {
    // Parts waiting to be joined and records waiting for names stay as they are.
    store::FolderHandle inbox = Open(store::kInboxName);
    ASSERT_NE(store::StoreDeliverPdu(Delivered(std::u16string(200, u'y'))[0], *inbox).id, 0u);
    ASSERT_NE(store::StoreDeliverPdu(Delivered(u"one")[0], *inbox).id, 0u);
    const std::vector<store::PropArray> before = ReadAll(*inbox);
    options.strings[options::Option::Port] = (directory.path() / "no-such-port").u16string() + u":";
    int lookups = 0;

    EXPECT_EQ(ReceiveMessages(context, *inbox,
                              [&](std::u16string_view) {
                                  ++lookups;
                                  return std::optional<std::u16string>();
                              }),
              ReceiveResult::NoConnection);

    // Nothing follows the start-up's failure text.
    EXPECT_EQ(RunEvents().back(), Coloured(1, 2, phone::kFailedConnectText));
    EXPECT_EQ(ReadAll(*inbox), before);
    EXPECT_EQ(lookups, 0);
}

// A run on a scripted line in virtual time, with the simulated phone's
// interpreter behind it. Its answers arrive each behind whatever is still on
// its way, as a phone answers in order; a late answer is held back as its
// fault says. On a slow line each byte takes `byteMs` to arrive.
struct VirtualRun {
    VirtualRun(phonesim::PhoneStores stores, phonesim::FaultPlan faults, std::uint32_t byteMs)
        : byteMs_(byteMs),
          interpreter(std::move(stores), {}, std::move(faults), phonesim::test::FixedTime) {
        options.strings[options::Option::Port] = u"COM1:";
        options.integers[options::Option::DeleteAfterReceive] = 1;
        line.onWrite = [this](std::string_view bytes) {
            const phonesim::InterpreterOutput out = interpreter.Feed(bytes);
            const std::string_view answer = out.bytes;
            const std::size_t held = out.hold ? out.hold->from : answer.size();
            Arrive(answer.substr(0, held), 0);
            if (out.hold)
                Arrive(answer.substr(held), static_cast<std::uint32_t>(out.hold->ms));
        };
    }

    void Arrive(std::string_view bytes, std::uint32_t delayMs) {
        const std::uint64_t now = clock.NowMs();
        const std::uint64_t first = std::max(lastArrivalMs_, now + delayMs);
        line.ArriveIn(bytes, static_cast<std::uint32_t>(first - now), byteMs_);
        lastArrivalMs_ = first + byteMs_ * bytes.size();
    }

    std::uint32_t byteMs_;
    std::uint64_t lastArrivalMs_ = 0;
    phonesim::Interpreter interpreter;
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
    for (const phonesim::MessageStore* store : {&stores.phone, &stores.sim})
        for (const auto& [slot, message] : store->Messages())
            texts.push_back(sms::DecodeDeliver(message.pdu).message.Text);
    return texts;
}

// The receive run with "Delete messages after receive" on, against the
// simulated phone in virtual time, with one exchange going wrong at a time:
// an answer past its time-out, noise, a stray line, silence, an error. Two
// runs each; after each, every message is in the Inbox or still on the phone.
TEST_F(ReceiveSweep, NoMessageIsEverGoneFromThePhoneWithoutBeingInTheInbox) {
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
                VirtualRun seams(fullStores(), Plan({Fault(kind, request)}), byteMs);
                FreshStore();
                store::FolderHandle inbox = Open(store::kInboxName);

                for (int run = 1; run <= 2; ++run) {
                    SCOPED_TRACE(::testing::Message() << "run " << run);
                    const ReceiveResult result = ReceiveMessages(seams.context, *inbox, nullptr);
                    const std::vector<std::u16string> stored =
                        InboxTexts(*inbox, u"+447700900123");  // no names: the number stands in
                    const std::vector<std::u16string> kept = PhoneTexts(seams.interpreter.Stores());
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
