// A run killed with SIGKILL at any moment loses no message. The client runs
// as its own process against the simulated phone on a slow line, so the
// moments spread over the connection start-up, every exchange, the writes
// into the store and the work after the port is closed. Afterwards each
// message must still be somewhere (on the phone or in the Inbox; in the
// Outbox or in Sent, never both), the store must open, and a second run must
// finish the job.

#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "options/options_record.h"
#include "phonesim/deliver_builder.h"
#include "phonesim/simulated_phone.h"
#include "phonesim/submit_parser.h"
#include "platform/sounds.h"
#include "run_tool.h"
#include "sms/deliver_decoder.h"
#include "store/message_records.h"
#include "store/store.h"
#include "temp_dir.h"

namespace mivex::durability {
namespace {

using Octets = std::vector<std::uint8_t>;
using std::chrono::steady_clock;

constexpr int kBaudRate = 38400;
constexpr int kExchangePoints = 10;
constexpr int kAfterLinePoints = 3;
constexpr std::string_view kServiceCentre = "+447700900000";

const phonesim::LocalTime kStamp{{2026, 12, 6, 9, 30, 0, 0}, 60};

// Distinct texts, two of them long enough to go in segments.
std::vector<std::u16string> MessageTexts() {
    std::vector<std::u16string> texts;
    for (int i = 1; i <= 5; ++i)
        texts.push_back(u"Short message number " + std::u16string(1, char16_t(u'0' + i)));
    for (char16_t tag : {u'A', u'B'}) {
        std::u16string text = u"Long message ";
        text += tag;
        while (text.size() < 320)
            text += u" and more words ";
        text.resize(320);
        text.push_back(tag);
        texts.push_back(text);
    }
    return texts;
}

// What the receiver sees of a text: the whole text, or each segment's part.
std::vector<std::u16string> Pieces(const std::u16string& text) {
    if (text.size() <= 160)
        return {text};
    std::vector<std::u16string> pieces;
    for (std::size_t first = 0; first < text.size(); first += 153)
        pieces.push_back(text.substr(first, 153));
    return pieces;
}

std::u16string DecodedText(const Octets& pdu) {
    const sms::DeliverDecodeResult result = sms::DecodeDeliver(pdu);
    EXPECT_TRUE(result.decoded());
    return result.message.Text;
}

// The phone after the messages arrived: the first ones in its memory, the last
// two in the SIM, every part of a long message in a slot of its own.
phonesim::PhoneStores PhoneHolding(const std::vector<std::u16string>& texts) {
    phonesim::PhoneStores stores{phonesim::MessageStore(20), phonesim::MessageStore(10)};
    std::uint8_t reference = 40;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        phonesim::MessageStore& store = i + 2 < texts.size() ? stores.phone : stores.sim;
        for (Octets& pdu : phonesim::BuildDeliverPdus(texts[i], "+447700900123", kServiceCentre,
                                                      kStamp, reference++)) {
            EXPECT_TRUE(store.Put(*store.FirstFreeSlot(),
                                  {std::move(pdu), phonesim::MessageStatus::ReceivedUnread}));
        }
    }
    return stores;
}

std::vector<std::u16string> TextsOnPhone(const phonesim::PhoneStores& stores) {
    std::vector<std::u16string> texts;
    for (const phonesim::MessageStore* store : {&stores.phone, &stores.sim}) {
        for (const auto& [slot, message] : store->Messages())
            texts.push_back(DecodedText(message.pdu));
    }
    return texts;
}

// The texts the client submitted, each segment on its own.
std::vector<std::u16string> SubmittedTexts(const std::vector<phonesim::SubmittedPdu>& submitted) {
    std::vector<std::u16string> texts;
    for (const phonesim::SubmittedPdu& pdu : submitted) {
        const phonesim::SubmitParseResult parsed = phonesim::ParseSubmitPdu(pdu.pdu);
        EXPECT_TRUE(parsed.parsed());
        texts.push_back(
            DecodedText(phonesim::BuildLoopbackDeliver(parsed.submit, "+1", "", kStamp)));
    }
    return texts;
}

bool Holds(const std::vector<std::u16string>& texts, const std::u16string& piece) {
    for (const std::u16string& text : texts) {
        if (text.find(piece) != std::u16string::npos)
            return true;
    }
    return false;
}

std::size_t CountOf(const std::vector<std::u16string>& texts, const std::u16string& text) {
    return static_cast<std::size_t>(std::count(texts.begin(), texts.end(), text));
}

phonesim::PhoneStores EmptyPhone() {
    return {phonesim::MessageStore(20), phonesim::MessageStore(10)};
}

class KilledRuns : public ::testing::Test {
protected:
    // The texts of one folder, read as the program reads them; a store that
    // does not open fails the test.
    std::vector<std::u16string> FolderTexts(const std::filesystem::path& dataDir,
                                            std::u16string_view name) {
        store::Store store(dataDir, sounds_);
        store::FolderHandle folder = store.OpenFolder(
            name, name == store::kInboxName ? store::kInboxByDate : store::kOutboxByDate);
        EXPECT_TRUE(folder.valid()) << "the store does not open after the kill";
        std::vector<std::u16string> texts;
        if (!folder.valid())
            return texts;
        store::PropArray props;
        folder->SeekBeginning();
        while (folder->ReadRecord(props).Readable()) {
            if (name == store::kInboxName) {
                if (const auto record = store::AsInboxRecord(props))
                    texts.push_back(record->Text);
            } else if (name == store::kOutboxName) {
                if (const auto record = store::AsOutboxRecord(props))
                    texts.push_back(record->Text);
            } else if (const auto record = store::AsSentRecord(props)) {
                texts.push_back(record->Text);
            }
        }
        return texts;
    }

    void WriteOptions(const std::filesystem::path& dataDir) {
        store::Store store(dataDir, sounds_);
        options::StoreOptions settings(store);
        ASSERT_TRUE(settings.WriteOption(options::Option::DeleteAfterReceive, 1));
        ASSERT_TRUE(settings.WriteOption(options::Option::UsePhoneServiceCentre, 0));
        ASSERT_TRUE(settings.WriteOption(options::Option::ServiceCentre, u"+447700900000"));
        ASSERT_TRUE(settings.WriteOption(options::Option::BaudRate, kBaudRate));
    }

    void QueueMessages(const std::filesystem::path& dataDir,
                       const std::vector<std::u16string>& texts) {
        store::Store store(dataDir, sounds_);
        store::FolderHandle outbox = store.OpenFolder(store::kOutboxName, store::kOutboxByDate);
        ASSERT_TRUE(outbox.valid());
        for (const std::u16string& text : texts) {
            const store::OutboxRecord record{u"+447700900777", u"Ann", 133'000'000'000'000'000,
                                             text, 0};
            ASSERT_NE(outbox->WriteRecord(0, store::ToProps(record)), 0u);
        }
    }

    // The phone counts its answers and, at answer `killAt`, kills the client
    // before a byte of that answer goes out.
    struct Watch {
        std::atomic<int> answers{0};
        int killAt = 0;
        std::atomic<const tools::RunningTool*> client{nullptr};
        std::atomic<std::int64_t> lastAnswerNs{0};
    };

    std::unique_ptr<phonesim::SimulatedPhone> StartPhone(phonesim::PhoneStores stores,
                                                         Watch& watch) {
        phonesim::PhoneSetup setup;
        setup.stores = std::move(stores);
        setup.baudRate = kBaudRate;
        setup.clock = [] { return kStamp; };
        setup.onAnswer = [&watch](const phonesim::InterpreterOutput&) {
            watch.lastAnswerNs = steady_clock::now().time_since_epoch().count();
            const tools::RunningTool* client = watch.client;
            if (++watch.answers == watch.killAt && client != nullptr)
                client->Signal(SIGKILL);
        };
        auto phone = std::make_unique<phonesim::SimulatedPhone>(std::move(setup));
        std::string error;
        EXPECT_TRUE(phone->Start(error)) << error;
        return phone;
    }

    static std::vector<std::string> Arguments(const std::filesystem::path& dataDir,
                                              const phonesim::SimulatedPhone& phone,
                                              const std::string& command) {
        return {"--data-dir", dataDir.string(), "--port", phone.DevicePath(), command};
    }

    // A whole run: how many answers the phone gave, when the last one came
    // and when the run ended, counted from its start.
    struct Whole {
        int answers = 0;
        steady_clock::duration lastAnswer{};
        steady_clock::duration end{};
        phonesim::PhoneStores stores;
    };

    Whole RunToEnd(const std::filesystem::path& dataDir, phonesim::PhoneStores stores,
                   const std::string& command) {
        Watch watch;
        auto phone = StartPhone(std::move(stores), watch);
        const auto start = steady_clock::now();
        const tools::ToolRun run =
            tools::RunTool(MIVEX_CLI_PATH, Arguments(dataDir, *phone, command));
        Whole whole;
        whole.end = steady_clock::now() - start;
        EXPECT_EQ(run.exitStatus, 0) << run.out << run.err;
        phone->Stop();
        whole.answers = watch.answers;
        whole.lastAnswer =
            steady_clock::time_point(steady_clock::duration(watch.lastAnswerNs)) - start;
        whole.stores = phone->Stores();
        return whole;
    }

    // Where to kill: at the phone's answer number `answer`, or when `delay`
    // has passed since the start.
    struct KillPoint {
        int answer = 0;
        steady_clock::duration delay{};
    };

    // Points spread over the exchanges with the phone, and over the work
    // after the port is closed (storing, joining, naming).
    static std::vector<KillPoint> KillPoints(const Whole& whole) {
        std::vector<KillPoint> points;
        for (int i = 0; i < kExchangePoints; ++i)
            points.push_back({1 + i * (whole.answers - 1) / (kExchangePoints - 1), {}});
        for (int i = 1; i <= kAfterLinePoints; ++i) {
            points.push_back({0, whole.lastAnswer +
                                     (whole.end - whole.lastAnswer) * i / (kAfterLinePoints + 1)});
        }
        return points;
    }

    struct Killed {
        phonesim::PhoneStores stores;
        std::vector<phonesim::SubmittedPdu> submitted;
    };

    Killed RunAndKill(const std::filesystem::path& dataDir, phonesim::PhoneStores stores,
                      const std::string& command, const KillPoint& point) {
        Watch watch;
        watch.killAt = point.answer;
        auto phone = StartPhone(std::move(stores), watch);
        tools::RunningTool client(MIVEX_CLI_PATH, Arguments(dataDir, *phone, command));
        watch.client = &client;
        if (point.answer == 0) {
            std::this_thread::sleep_for(point.delay);
            client.Signal(SIGKILL);
        }
        (void)client.Wait();
        phone->Stop();
        return {phone->Stores(), phone->Submitted()};
    }

    static std::string Describe(const KillPoint& point) {
        if (point.answer != 0)
            return "killed at the phone's answer " + std::to_string(point.answer);
        return "killed after " +
               std::to_string(
                   std::chrono::duration_cast<std::chrono::milliseconds>(point.delay).count()) +
               " ms";
    }

    platform::SilentSounds sounds_;
};

TEST_F(KilledRuns, ReceiveKeepsEveryMessageOnThePhoneOrInTheInbox) {
    const std::vector<std::u16string> texts = MessageTexts();
    std::vector<std::u16string> pieces;
    for (const std::u16string& text : texts) {
        for (std::u16string& piece : Pieces(text))
            pieces.push_back(std::move(piece));
    }

    mivex::testing::TempDir reference;
    ASSERT_NO_FATAL_FAILURE(WriteOptions(reference.path()));
    const Whole whole = RunToEnd(reference.path(), PhoneHolding(texts), "receive");
    ASSERT_TRUE(TextsOnPhone(whole.stores).empty());
    ASSERT_EQ(FolderTexts(reference.path(), store::kInboxName).size(), texts.size());

    int finishedAgain = 0;
    for (const KillPoint& point : KillPoints(whole)) {
        SCOPED_TRACE(Describe(point));
        mivex::testing::TempDir dataDir;
        ASSERT_NO_FATAL_FAILURE(WriteOptions(dataDir.path()));
        const Killed killed = RunAndKill(dataDir.path(), PhoneHolding(texts), "receive", point);

        const std::vector<std::u16string> onPhone = TextsOnPhone(killed.stores);
        const std::vector<std::u16string> inInbox = FolderTexts(dataDir.path(), store::kInboxName);
        for (const std::u16string& piece : pieces)
            EXPECT_TRUE(Holds(onPhone, piece) || Holds(inInbox, piece)) << "lost a message";

        // A second run takes in what the first left on the phone (a few
        // times: each costs a whole run).
        if (++finishedAgain % 4 != 0)
            continue;
        const Whole after = RunToEnd(dataDir.path(), killed.stores, "receive");
        EXPECT_TRUE(TextsOnPhone(after.stores).empty());
        const std::vector<std::u16string> finished = FolderTexts(dataDir.path(), store::kInboxName);
        for (const std::u16string& text : texts)
            EXPECT_TRUE(Holds(finished, text)) << "not received whole after the second run";
    }
}

TEST_F(KilledRuns, SendKeepsEveryMessageInTheOutboxOrInSentOnce) {
    // Fewer messages than the receive: every submission costs line time.
    const std::vector<std::u16string> all = MessageTexts();
    const std::vector<std::u16string> texts = {all[0], all[1], all.back()};
    mivex::testing::TempDir reference;
    ASSERT_NO_FATAL_FAILURE(WriteOptions(reference.path()));
    ASSERT_NO_FATAL_FAILURE(QueueMessages(reference.path(), texts));
    const Whole whole = RunToEnd(reference.path(), EmptyPhone(), "send");
    ASSERT_EQ(FolderTexts(reference.path(), store::kSentName).size(), texts.size());

    int finishedAgain = 0;
    for (const KillPoint& point : KillPoints(whole)) {
        SCOPED_TRACE(Describe(point));
        mivex::testing::TempDir dataDir;
        ASSERT_NO_FATAL_FAILURE(WriteOptions(dataDir.path()));
        ASSERT_NO_FATAL_FAILURE(QueueMessages(dataDir.path(), texts));
        const Killed killed = RunAndKill(dataDir.path(), EmptyPhone(), "send", point);

        const std::vector<std::u16string> outbox = FolderTexts(dataDir.path(), store::kOutboxName);
        const std::vector<std::u16string> sent = FolderTexts(dataDir.path(), store::kSentName);
        const std::vector<std::u16string> submitted = SubmittedTexts(killed.submitted);
        for (const std::u16string& text : texts) {
            EXPECT_EQ(CountOf(outbox, text) + CountOf(sent, text), 1u);
            // Only what left the phone whole is filed as sent.
            if (CountOf(sent, text) == 1) {
                for (const std::u16string& piece : Pieces(text))
                    EXPECT_TRUE(Holds(submitted, piece));
            }
        }

        if (++finishedAgain % 4 != 0)
            continue;
        RunToEnd(dataDir.path(), EmptyPhone(), "send");
        EXPECT_TRUE(FolderTexts(dataDir.path(), store::kOutboxName).empty());
        const std::vector<std::u16string> finished = FolderTexts(dataDir.path(), store::kSentName);
        for (const std::u16string& text : texts)
            EXPECT_EQ(CountOf(finished, text), 1u);
    }
}

}  // namespace
}  // namespace mivex::durability
