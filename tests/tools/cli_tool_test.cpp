#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "phonesim/deliver_builder.h"
#include "phonesim/simulated_phone.h"
#include "platform/sounds.h"
#include "run_tool.h"
#include "sms/deliver_decoder.h"
#include "sms/file_time.h"
#include "store/message_records.h"
#include "store/store.h"
#include "temp_dir.h"
#include "text/utf8.h"

namespace mivex::tools {
namespace {

namespace fs = std::filesystem;
using Arguments = std::vector<std::string>;

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream contents;
    contents << file.rdbuf();
    return contents.str();
}

phonesim::LocalTime At(int hour, int minute) {
    return {{2024, 3, 9, hour, minute, 0, 0}, 60};
}

// mivex-cli on a data directory of its own, and a simulated phone on a
// pseudo-terminal in this process when a test needs one.
class CliTool : public ::testing::Test {
protected:
    ToolRun Run(Arguments arguments) const {
        arguments.insert(arguments.begin(), {"--data-dir", data.string()});
        return RunTool(MIVEX_CLI_PATH, arguments);
    }
    ToolRun RunWithPhone(Arguments arguments) const {
        arguments.insert(arguments.begin(), {"--port", phone->DevicePath()});
        return Run(std::move(arguments));
    }

    void StartPhone(phonesim::PhoneStores stores, std::string ownNumber = "") {
        phonesim::PhoneSetup setup;
        setup.stores = std::move(stores);
        setup.settings.ownNumber = std::move(ownNumber);
        phone = std::make_unique<phonesim::SimulatedPhone>(std::move(setup));
        std::string error;
        ASSERT_TRUE(phone->Start(error)) << error;
    }

    // "destination text" of every message the phone was given, as the
    // recipient's phone would show it.
    std::vector<std::string> Submitted() const {
        std::vector<std::string> messages;
        for (const phonesim::SubmittedPdu& submitted : phone->Submitted()) {
            const phonesim::SubmitParseResult parsed = phonesim::ParseSubmitPdu(submitted.pdu);
            const sms::DeliverDecodeResult delivered = sms::DecodeDeliver(
                phonesim::BuildLoopbackDeliver(parsed.submit, "+1", "+1", At(12, 0)));
            messages.push_back(parsed.submit.destination + " " +
                               text::Utf16ToUtf8(delivered.message.Text));
        }
        return messages;
    }

    testing::TempDir temp;
    fs::path data = temp.path() / "data";
    std::unique_ptr<phonesim::SimulatedPhone> phone;
};

TEST_F(CliTool, ReceivesEveryMessageAndListsTheInboxNewestFirst) {
    const std::string longText(170, 'x');
    const auto parts = phonesim::BuildDeliverPdus(text::Utf8ToUtf16(longText).value(),
                                                  "+447700900123", "+447700900000", At(14, 5));
    ASSERT_EQ(parts.size(), 2u);
    phonesim::PhoneStores stores{phonesim::MessageStore(30), phonesim::MessageStore(30)};
    ASSERT_TRUE(stores.phone.Put(2, {parts[0]}));
    ASSERT_TRUE(stores.phone.Put(5, {parts[1]}));
    ASSERT_TRUE(
        stores.phone.Put(7, {phonesim::BuildDeliverPdus(u"Line one\nLine two", "+447700900555",
                                                        "+447700900000", At(16, 0))[0]}));
    ASSERT_TRUE(stores.sim.Put(1, {phonesim::BuildDeliverPdus(u"From the SIM", "+447700900777",
                                                              "+447700900000", At(15, 0))[0]}));
    StartPhone(std::move(stores));
    fs::create_directories(data / "contacts");
    std::ofstream(data / "contacts" / "ann.vcf")
        << "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Lee;Ann;;;\r\nTEL:07700 900123\r\nEND:VCARD\r\n";
    // The port given on the command line wins over the stored one, for this run only.
    ASSERT_EQ(Run({"options", "set", "Port", "/dev/no-such-port:"}).exitStatus, 0);

    const ToolRun receive = RunWithPhone({"--trace", "receive"});
    EXPECT_EQ(receive.exitStatus, 0) << receive.err;
    EXPECT_TRUE(Contains(receive.out, "\nReceiving message 4\n")) << receive.out;
    EXPECT_TRUE(Contains(receive.out, "\nYou have 3 new messages..\n")) << receive.out;
    EXPECT_TRUE(Contains(ReadFile(data / "MXdebug.txt"), "-- Debug Output End"));
    EXPECT_EQ(Run({"options", "get", "Port"}).out, "/dev/no-such-port:\n");

    const ToolRun list = Run({"list", "inbox"});
    EXPECT_EQ(list.exitStatus, 0);
    EXPECT_EQ(list.out,
              "09/03/24  16:00:00\t+447700900555\t+447700900555\tLine one Line two\n"
              "09/03/24  15:00:00\t+447700900777\t+447700900777\tFrom the SIM\n"
              "09/03/24  14:05:00\t+447700900123\tAnn Lee\t" +
                  longText + "\n");

    const ToolRun noPhone = Run({"receive"});
    EXPECT_EQ(noPhone.exitStatus, 1);
    EXPECT_EQ(noPhone.err, "mivex-cli: Failed connect - Check options and phone settings!  \n");
}

TEST_F(CliTool, QueuesRefusesAndSendsTheWholeOutbox) {
    const struct {
        Arguments arguments;
        std::string refusal;
    } refusals[] = {
        {{"--to", "Ann,", "Hi"}, "Error - Invalid recipient!"},
        {{"--to", "+447700900123", ""}, "Error - No message!"},
        {{"--to", "+447700900123", std::string(10000, 'a')}, "Error - Message to big!"},
    };
    for (const auto& refused : refusals) {
        SCOPED_TRACE(refused.refusal);
        Arguments arguments{"queue"};
        arguments.insert(arguments.end(), refused.arguments.begin(), refused.arguments.end());
        const ToolRun queue = Run(arguments);
        EXPECT_EQ(queue.exitStatus, 1);
        EXPECT_EQ(queue.err, "mivex-cli: " + refused.refusal + "\n");
    }
    EXPECT_EQ(Run({"list", "outbox"}).out, "");

    const ToolRun queue =
        Run({"queue", "--to", "Bob,+44 7700 900999", "--to", "+447700900555", "Hello there"});
    EXPECT_EQ(queue.exitStatus, 0) << queue.err;
    EXPECT_EQ(queue.out, "2 messages queued in the Outbox\n");

    StartPhone({phonesim::MessageStore(30), phonesim::MessageStore(30)});
    // Without a service centre nothing can go, and the run says so.
    const ToolRun refused = RunWithPhone({"send"});
    EXPECT_EQ(refused.exitStatus, 1);
    EXPECT_TRUE(Contains(refused.err, "mivex-cli: Invalid Service Centre number")) << refused.err;

    ASSERT_EQ(Run({"options", "set", "UsePhoneServiceCentre", "1"}).exitStatus, 0);
    const ToolRun send = RunWithPhone({"send"});
    EXPECT_EQ(send.exitStatus, 0) << send.err;
    EXPECT_TRUE(Contains(send.out, "\n2 Messages sent OK!\n")) << send.out;
    const std::vector<std::string> expected{"+447700900999 Hello there",
                                            "+447700900555 Hello there"};
    EXPECT_EQ(Submitted(), expected);

    const std::string sent = Run({"list", "sent"}).out;
    EXPECT_TRUE(Contains(sent, "\t+447700900999\tBob\tHello there\n")) << sent;
    EXPECT_TRUE(Contains(sent, "\t+447700900555\t+447700900555\tHello there\n")) << sent;
    EXPECT_EQ(Run({"list", "outbox"}).out, "");

    const ToolRun again = RunWithPhone({"send"});
    EXPECT_EQ(again.exitStatus, 0);
    EXPECT_EQ(again.out, "No messages to send...  \n");
    EXPECT_EQ(phone->Submitted().size(), 2u);
}

// Through queueing, the sending run, the phone's loop back to its own number,
// the receive run and the joining of parts, every character arrives.
TEST_F(CliTool, UnicodeAndExtensionCharactersComeBackWhole) {
    const std::string own = "+447700900123";
    const std::string mixed =
        "\u041F\u0440\u0438\u0432\u0435\u0442 \u4F60\u597D \U0001F600 "
        "\u20AC [x] {y}";
    const std::string longText = mixed + " " + mixed + " " + mixed + " " + mixed;  // 2 segments
    const std::string extension = "[{x}] ~ \u20AC ^|\\";
    StartPhone({phonesim::MessageStore(30), phonesim::MessageStore(30)}, own);
    ASSERT_EQ(Run({"options", "set", "UsePhoneServiceCentre", "1"}).exitStatus, 0);
    for (const std::string& text : {longText, extension})
        ASSERT_EQ(Run({"queue", "--to", own, text}).exitStatus, 0);

    const ToolRun send = RunWithPhone({"send"});
    EXPECT_EQ(send.exitStatus, 0) << send.err;
    EXPECT_TRUE(Contains(send.out, "\nMessage segment 2 sent OK\n")) << send.out;
    const ToolRun receive = RunWithPhone({"receive"});
    EXPECT_EQ(receive.exitStatus, 0) << receive.err;
    EXPECT_TRUE(Contains(receive.out, "\nYou have 2 new messages..\n")) << receive.out;
    const std::string inbox = Run({"list", "inbox"}).out;
    EXPECT_TRUE(Contains(inbox, "\t" + longText + "\n")) << inbox;
    EXPECT_TRUE(Contains(inbox, "\t" + extension + "\n")) << inbox;

    // For recipients without Unicode: every character outside the alphabet is "?".
    ASSERT_EQ(Run({"options", "set", "GsmAlphabetOnly", "1"}).exitStatus, 0);
    ASSERT_EQ(Run({"queue", "--to", "+447700900555", "\u20AC1 \u041F\u0440"}).exitStatus, 0);
    ASSERT_EQ(RunWithPhone({"send"}).exitStatus, 0);
    EXPECT_EQ(Submitted().back(), "+447700900555 ?1 ??");
}

TEST_F(CliTool, SetsOnlyValuesTheOptionDialogsCouldStore) {
    const struct {
        Arguments arguments;
        int exitStatus;
    } vectors[] = {
        {{"BaudRate", "9600"}, 0},
        {{"ServiceCentre", std::string(99, '1')}, 0},
        {{"Port", "/dev/ttyUSB0: Modem"}, 0},
        {{"GsmAlphabetOnly", "1"}, 0},
        {{"GsmAlphabetOnly", "2"}, 2},
        {{"BaudRate", "0"}, 2},
        {{"BaudRate", "fast"}, 2},
        {{"BaudRate", "96OO"}, 2},
        {{"BaudRate", "99999999999"}, 2},
        {{"ValidityPeriod", "4"}, 2},
        {{"StopBits", "3"}, 2},
        {{"FlowControl", "-1"}, 2},
        {{"DataBits", "4"}, 2},
        {{"DataBits", "9"}, 2},
        {{"SoundsOff", "2"}, 2},
        {{"NameOrder", "2"}, 2},
        {{"ServiceCentre", std::string(100, '2')}, 2},
        {{"Colour", "1"}, 2},
    };
    for (const auto& vector : vectors) {
        SCOPED_TRACE(vector.arguments[0] + " " + vector.arguments[1]);
        Arguments arguments{"options", "set"};
        arguments.insert(arguments.end(), vector.arguments.begin(), vector.arguments.end());
        const ToolRun set = Run(arguments);
        EXPECT_EQ(set.exitStatus, vector.exitStatus);
        EXPECT_EQ(set.err.empty(), vector.exitStatus == 0) << set.err;
    }
    EXPECT_EQ(Run({"options", "get", "BaudRate"}).out, "9600\n");
    EXPECT_EQ(Run({"options", "get", "ServiceCentre"}).out, std::string(99, '1') + "\n");
    EXPECT_EQ(Run({"options", "get", "Port"}).out, "/dev/ttyUSB0: Modem\n");
    EXPECT_EQ(Run({"options", "get", "StopBits"}).out, "0\n");
    EXPECT_EQ(Run({"options", "get", "Colour"}).exitStatus, 2);
}

TEST_F(CliTool, ExitsTwoOnUsageErrorsAndZeroOnHelp) {
    const struct {
        Arguments arguments;
        int exitStatus;
        std::string outPart;
    } vectors[] = {
        {{"--help"}, 0, "clear-database"},
        {{"queue", "--help"}, 0, "--to ENTRY"},
        {{"options", "set", "--help"}, 0, "NAME VALUE"},
        {{"list", "--help"}, 0, "inbox, outbox or sent"},
        {{}, 2, ""},
        {{"frobnicate"}, 2, ""},
        {{"list", "drafts"}, 2, ""},
        {{"queue", "Hello"}, 2, ""},
        {{"queue", "--to", "+447700900123", "\xC3"}, 2, ""},
        {{"options"}, 2, ""},
        {{"--port", "", "receive"}, 2, ""},
        {{"clear-database"}, 2, ""},
    };
    for (const auto& vector : vectors) {
        SCOPED_TRACE(::testing::PrintToString(vector.arguments));
        const ToolRun run = Run(vector.arguments);
        EXPECT_EQ(run.exitStatus, vector.exitStatus);
        if (vector.exitStatus == 0) {
            EXPECT_TRUE(Contains(run.out, vector.outPart)) << run.out;
            EXPECT_EQ(run.err, "");
        } else {
            EXPECT_EQ(run.out, "");
            EXPECT_EQ(run.err.rfind("mivex-cli: ", 0), 0u) << run.err;
            EXPECT_TRUE(Contains(run.err, "\nUsage: mivex-cli ")) << run.err;
        }
    }
}

TEST_F(CliTool, ExportsWhatTheStoreHoldsAndFailsLoudly) {
    const fs::path file = temp.path() / "messages.txt";
    ToolRun run = Run({"export", file.string()});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.out, "0 Messages Exported\n");
    EXPECT_EQ(ReadFile(file), "\xFF\xFE");

    store::ObjectId damaged = 0;
    {
        platform::SilentSounds sounds;
        store::Store store(data, sounds);
        store::FolderHandle sent = store.OpenFolder(store::kSentName, store::kSentByDate);
        ASSERT_TRUE(sent);
        const store::SentRecord record{u"+447700900123", u"Ann\tLee",
                                       sms::CalendarToFileTime({2004, 12, 31, 23, 59, 7}).value(),
                                       u"Hi\r\nthere", u""};
        ASSERT_NE(sent->WriteRecord(0, store::ToProps(record)), 0u);
        damaged = sent->WriteRecord(0, store::ToProps(record));
        ASSERT_NE(damaged, 0u);
    }
    // The second record's bytes are cut short, as by a bad sector.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((data / "Database" / "smsdata.cdb").c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db,
                           ("UPDATE records SET props = substr(props, 1, 40) WHERE id = " +
                            std::to_string(damaged))
                               .c_str(),
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    const std::string line = "31/12/04  23:59:07\t+447700900123\tAnn Lee\tHi there";
    run = Run({"list", "sent"});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.out, line + "\n");
    EXPECT_EQ(run.err, "mivex-cli: 1 messages could not be read and are not listed\n");
    run = Run({"export", file.string()});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.out, "1 Messages Exported\n");
    EXPECT_EQ(run.err, "mivex-cli: 1 messages could not be read and are not in the file\n");
    std::string expected = "\xFF\xFE";
    for (const char byte : "Sent\t" + line + "\r\n")
        expected += {byte, '\0'};
    EXPECT_EQ(ReadFile(file), expected);

    run = Run({"export", (temp.path() / "missing" / "messages.txt").string()});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(Contains(run.err, "mivex-cli: cannot export to ")) << run.err;
}

TEST_F(CliTool, ClearsTheDatabaseOnlyWhenToldYes) {
    // A file that is not a store is left alone until the user clears it, and
    // so is an earlier export.
    fs::create_directories(data / "Database");
    std::ofstream(data / "Database" / "smsdata.cdb") << "not a database";
    const fs::path exported = temp.path() / "exported.txt";
    std::ofstream(exported) << "earlier";
    for (const Arguments& arguments :
         {Arguments{"list", "inbox"}, Arguments{"options", "get", "Port"},
          Arguments{"queue", "--to", "123", "Hi"}, Arguments{"export", exported.string()}}) {
        const ToolRun run = Run(arguments);
        EXPECT_EQ(run.exitStatus, 1);
        EXPECT_EQ(run.err.rfind("mivex-cli: cannot ", 0), 0u) << run.err;
    }
    EXPECT_EQ(ReadFile(exported), "earlier");
    EXPECT_EQ(Run({"clear-database", "--yes"}).exitStatus, 0);

    ASSERT_EQ(Run({"options", "set", "BaudRate", "9600"}).exitStatus, 0);
    ASSERT_EQ(Run({"queue", "--to", "123", "Hi"}).exitStatus, 0);
    EXPECT_EQ(Run({"clear-database"}).exitStatus, 2);
    EXPECT_EQ(Run({"options", "get", "BaudRate"}).out, "9600\n");

    const ToolRun clear = Run({"clear-database", "--yes"});
    EXPECT_EQ(clear.exitStatus, 0);
    EXPECT_EQ(clear.out, "Database cleared, please check Option settings\n");
    EXPECT_EQ(Run({"options", "get", "BaudRate"}).out, "0\n");
    EXPECT_EQ(Run({"list", "outbox"}).out, "");
}

}  // namespace
}  // namespace mivex::tools
