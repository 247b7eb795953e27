// A run killed with SIGKILL at any moment loses no message. The client runs
// as its own process against the simulated phone, which kills it at chosen
// answers: over the connection start-up, every exchange and the writes into
// the store. (The joining after the port is closed is killed at random in the
// store's own tests.) Afterwards each message must still be somewhere (on the
// phone or in the Inbox; in the Outbox or in Sent, never both), the store
// must open, and a second run must finish the job.

#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <atomic>

#include "cli_fixture.h"

namespace mivex::tools {
namespace {

using Texts = std::vector<std::string>;

constexpr int kBaudRate = 38400;
const phonesim::LocalTime kStamp{{2026, 12, 6, 9, 30, 0, 0}, 60};

// Distinct texts: five short ones and two long enough for three segments,
// no segment's text found in another.
Texts MessageTexts() {
    Texts texts;
    for (const char tag : {'1', '2', '3', '4', '5', 'A', 'B'}) {
        std::string text = std::string("Message ") + tag;
        for (int word = 0; tag >= 'A' && text.size() < 321; ++word)
            text += std::string(" ") + tag + std::to_string(word);
        texts.push_back(text.substr(0, 321));
    }
    return texts;
}

// Whether each piece of `text` `size` characters long (by default what a
// segment carries) is inside one of `texts`.
bool Holds(const Texts& texts, const std::string& text, std::size_t size = 153) {
    for (std::size_t first = 0; first < text.size(); first += size) {
        const std::string piece = text.substr(first, size);
        if (std::none_of(texts.begin(), texts.end(),
                         [&](const std::string& held) { return Contains(held, piece); }))
            return false;
    }
    return true;
}

// The phone after the messages arrived: the first ones in its memory, the last
// two in the SIM, every part of a long message in a slot of its own.
phonesim::PhoneStores PhoneHolding(const Texts& texts) {
    phonesim::PhoneStores stores;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        phonesim::MessageStore& store = i + 2 < texts.size() ? stores.phone : stores.sim;
        for (auto& pdu : phonesim::BuildDeliverPdus(*text::Utf8ToUtf16(texts[i]), "+447700900123",
                                                    "+447700900000", kStamp, 40 + i))
            EXPECT_TRUE(store.Put(*store.FirstFreeSlot(), {std::move(pdu)}));
    }
    return stores;
}

Texts TextsOnPhone(const phonesim::PhoneStores& stores) {
    Texts texts;
    for (const phonesim::MessageStore* store : {&stores.phone, &stores.sim})
        for (const auto& [slot, message] : store->Messages())
            texts.push_back(text::Utf16ToUtf8(sms::DecodeDeliver(message.pdu).message.Text));
    return texts;
}

class KilledRuns : public CliFixture {
protected:
    // A fresh data directory for the next run: the settings, and the Outbox for a send.
    void Prepare(const Texts& queued) {
        data = temp.path() / std::to_string(++directories_);
        SetOption("DeleteAfterReceive", "1");
        SetOption("ServiceCentre", "+447700900000");
        SetOption("BaudRate", std::to_string(kBaudRate));
        for (const std::string& text : queued)
            EXPECT_EQ(Run({"queue", "--to", "Ann,+447700900777", text}).exitStatus, 0);
    }

    // Runs `command` against a phone holding `stores`; what the phone holds
    // afterwards. The phone counts its answers and at answer `killAt` kills
    // the client before a byte of that answer goes out; 0: never.
    phonesim::PhoneStores RunOnce(phonesim::PhoneStores stores, const std::string& command,
                                  int killAt = 0) {
        answers_ = 0;
        client_ = nullptr;
        phonesim::PhoneSetup setup;
        setup.stores = std::move(stores);
        setup.baudRate = kBaudRate;
        setup.clock = [] { return kStamp; };
        setup.onAnswer = [this, killAt](const phonesim::InterpreterOutput&) {
            const RunningTool* client = client_;
            if (++answers_ == killAt && client != nullptr)
                client->Signal(SIGKILL);
        };
        StartPhone(std::move(setup));
        RunningTool client(MIVEX_CLI_PATH, CliArguments({command}));
        client_ = &client;
        const int exitStatus = client.Wait();
        EXPECT_TRUE(killAt != 0 || exitStatus == 0) << client.Out() << client.Err();
        phone->Stop();
        return phone->Stores();
    }

    int directories_ = 0;
    std::atomic<int> answers_{0};
    std::atomic<const RunningTool*> client_{nullptr};
};

TEST_F(KilledRuns, ReceiveKeepsEveryMessageOnThePhoneOrInTheInbox) {
    const Texts texts = MessageTexts();
    ASSERT_NO_FATAL_FAILURE(Prepare({}));
    ASSERT_TRUE(TextsOnPhone(RunOnce(PhoneHolding(texts), "receive")).empty());
    ASSERT_EQ(Listed("inbox").size(), texts.size());

    for (int i = 0, answers = answers_; i < 10; ++i) {
        // Ten answers spread over the whole of the run before, its last included.
        const int killAt = 1 + i * (answers - 1) / 9;
        SCOPED_TRACE("killed at the phone's answer " + std::to_string(killAt));
        Prepare({});
        const phonesim::PhoneStores left = RunOnce(PhoneHolding(texts), "receive", killAt);
        Texts anywhere = TextsOnPhone(left);
        const Texts inbox = Listed("inbox");
        anywhere.insert(anywhere.end(), inbox.begin(), inbox.end());
        for (const std::string& text : texts)
            EXPECT_TRUE(Holds(anywhere, text)) << "lost part of " << text;
        // A second run takes in what the first left on the phone (a few
        // times: each costs a whole run).
        if (i % 4 != 3)
            continue;
        EXPECT_TRUE(TextsOnPhone(RunOnce(left, "receive")).empty());
        const Texts finished = Listed("inbox");
        for (const std::string& text : texts)
            EXPECT_TRUE(Holds(finished, text, text.size())) << "not received whole: " << text;
    }
}

TEST_F(KilledRuns, SendKeepsEveryMessageInTheOutboxOrInSentOnce) {
    // Fewer messages than the receive: every submission costs line time.
    const Texts all = MessageTexts();
    const Texts texts = {all[0], all[1], all.back()};
    ASSERT_NO_FATAL_FAILURE(Prepare(texts));
    RunOnce(phonesim::PhoneStores(), "send");
    ASSERT_EQ(Listed("sent").size(), texts.size());

    for (int i = 0, answers = answers_; i < 10; ++i) {
        const int killAt = 1 + i * (answers - 1) / 9;
        SCOPED_TRACE("killed at the phone's answer " + std::to_string(killAt));
        Prepare(texts);
        RunOnce(phonesim::PhoneStores(), "send", killAt);
        const Texts outbox = Listed("outbox");
        const Texts sent = Listed("sent");
        const Texts submitted = Submitted();
        for (const std::string& text : texts) {
            const auto inSent = std::count(sent.begin(), sent.end(), text);
            EXPECT_EQ(std::count(outbox.begin(), outbox.end(), text) + inSent, 1) << text;
            // Only what left the phone whole is filed as sent.
            EXPECT_TRUE(inSent == 0 || Holds(submitted, text)) << "filed unsent " << text;
        }
        if (i % 4 != 3)
            continue;
        RunOnce(phonesim::PhoneStores(), "send");
        EXPECT_TRUE(Listed("outbox").empty());
        const Texts finished = Listed("sent");
        for (const std::string& text : texts)
            EXPECT_EQ(std::count(finished.begin(), finished.end(), text), 1) << text;
    }
}

}  // namespace
}  // namespace mivex::tools
