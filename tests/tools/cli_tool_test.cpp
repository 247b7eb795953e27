// Each test follows mivex-cli from its arguments to its exit status and
// output. The rules underneath (queueing, joining, naming, the export format)
// belong to the store and the transfer runs and are tested with them.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>

#include "cli_fixture.h"

namespace mivex::tools {
namespace {

namespace fs = std::filesystem;

phonesim::StoredMessage Deliver(std::u16string_view text, const char* sender, int hour) {
    return {phonesim::BuildDeliverPdus(text, sender, "+447700900000",
                                       {{2024, 3, 9, hour, 0, 0, 0}, 60})[0]};
}

// Cuts the bytes of the first Inbox record short, as a bad sector would.
void DamageFirstInboxRecord(const fs::path& data) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((data / "Database" / "smsdata.cdb").c_str(), &db), SQLITE_OK);
    const char* cut =
        "UPDATE records SET props = substr(props, 1, 40) WHERE id = (SELECT "
        "min(records.id) FROM records JOIN folders ON folders.id = folder "
        "WHERE folders.name = 'Inbox')";
    EXPECT_EQ(sqlite3_exec(db, cut, nullptr, nullptr, nullptr), SQLITE_OK);
    EXPECT_EQ(sqlite3_changes(db), 1);
    sqlite3_close(db);
}

using CliTool = CliFixture;

TEST_F(CliTool, ReceivesListsAndExportsTheInbox) {
    phonesim::PhoneSetup setup;
    ASSERT_TRUE(setup.stores.phone.Put(
        2, Deliver(u"Line one\nLine \u20AC\U0001F600", "+447700900123", 16)));
    ASSERT_TRUE(setup.stores.sim.Put(1, Deliver(u"From the SIM", "+447700900777", 15)));
    ASSERT_NO_FATAL_FAILURE(StartPhone(std::move(setup)));
    fs::create_directories(data / "contacts");
    std::ofstream(data / "contacts" / "ann.vcf")
        << "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Lee;Ann;;;\r\nTEL:07700 900123\r\nEND:VCARD\r\n";
    // The port named on the command line wins over the stored one, for this run only.
    SetOption("Port", "/dev/no-such-port:");

    const ToolRun receive = Run({"--trace", "receive"});
    EXPECT_EQ(receive.exitStatus, 0) << receive.err;
    EXPECT_TRUE(Contains(receive.out, "\nYou have 2 new messages..\n")) << receive.out;
    EXPECT_TRUE(Contains(ReadFile(data / "MXdebug.txt"), "-- Debug Output End"));
    EXPECT_EQ(Run({"options", "get", "Port"}).out, "/dev/no-such-port:\n");
    // With the sounds off a failure is told by its colour alone, and still goes to stderr.
    SetOption("SoundsOff", "1");
    phone.reset();
    EXPECT_EQ(Run({"receive"}),
              (ToolRun{1, "Opening /dev/no-such-port:\n",
                       "mivex-cli: Failed connect - Check options and phone settings!  \n"}));

    const std::string ann =
        "09/03/24  16:00:00\t+447700900123\tAnn Lee\tLine one Line \u20AC\U0001F600\n";
    const std::string sim = "09/03/24  15:00:00\t+447700900777\t+447700900777\tFrom the SIM\n";
    EXPECT_EQ(Run({"list", "inbox"}), (ToolRun{0, ann + sim, ""}));
    const fs::path file = temp.path() / "messages.txt";
    EXPECT_EQ(Run({"export", file.string()}), (ToolRun{0, "2 Messages Exported\n", ""}));
    EXPECT_TRUE(Contains(ReadFile(file), std::string("F\0r\0o\0m\0", 8)));

    ASSERT_NO_FATAL_FAILURE(DamageFirstInboxRecord(data));
    EXPECT_EQ(Run({"list", "inbox"}),
              (ToolRun{1, sim, "mivex-cli: 1 messages could not be read and are not listed\n"}));
    EXPECT_EQ(Run({"export", file.string()}),
              (ToolRun{1, "1 Messages Exported\n",
                       "mivex-cli: 1 messages could not be read and are not in the file\n"}));
}

TEST_F(CliTool, QueuesAndSendsTheOutbox) {
    // A refusal reaches stderr and the exit status; which texts are refused is the store's rule.
    EXPECT_EQ(Run({"queue", "--to", "Ann,", "Hi"}),
              (ToolRun{1, "", "mivex-cli: Error - Invalid recipient!\n"}));

    const std::string text = "Hello \u20AC \u041F\U0001F600";
    EXPECT_EQ(Run({"queue", "--to", "Bob,+44 7700 900999", "--to", "+447700900555", text}),
              (ToolRun{0, "2 messages queued in the Outbox\n", ""}));
    EXPECT_EQ(Listed("outbox"), (Arguments{text, text}));

    ASSERT_NO_FATAL_FAILURE(StartPhone(phonesim::PhoneSetup()));
    // Without a service centre nothing can go, and the run says so.
    const ToolRun noCentre = Run({"send"});
    EXPECT_EQ(noCentre.exitStatus, 1);
    EXPECT_TRUE(Contains(noCentre.err, "mivex-cli: Invalid Service Centre number")) << noCentre.err;

    SetOption("UsePhoneServiceCentre", "1");
    const ToolRun send = Run({"send"});
    EXPECT_EQ(send.exitStatus, 0) << send.err;
    EXPECT_TRUE(Contains(send.out, "\n2 Messages sent OK!\n")) << send.out;
    EXPECT_EQ(Submitted(), (Arguments{"+447700900999 " + text, "+447700900555 " + text}));
    const std::string sent = Run({"list", "sent"}).out;
    // No report was asked for: the delivery column is there, empty.
    EXPECT_TRUE(Contains(sent, "\t+447700900999\tBob\t" + text + "\t\n")) << sent;
    EXPECT_TRUE(Listed("outbox").empty());

    EXPECT_EQ(Run({"send"}), (ToolRun{0, "No messages to send...  \n", ""}));

    // For recipients without Unicode, every character outside the GSM alphabet goes as "?".
    SetOption("GsmAlphabetOnly", "1");
    ASSERT_EQ(Run({"queue", "--to", "+447700900555", "\u20AC1 \u041F\u0440"}).exitStatus, 0);
    ASSERT_EQ(Run({"send"}).exitStatus, 0);
    EXPECT_EQ(Submitted().back(), "+447700900555 ?1 ??");

    // With reports asked for, the next receive says how it went.
    phonesim::PhoneSetup reporting;
    reporting.settings.report = {phonesim::ReportScenario::Failed, 0};
    ASSERT_NO_FATAL_FAILURE(StartPhone(std::move(reporting)));
    SetOption("StatusReport", "1");
    ASSERT_EQ(Run({"queue", "--to", "+447700900555", "Hi"}).exitStatus, 0);
    ASSERT_EQ(Run({"send"}).exitStatus, 0);
    EXPECT_EQ(Run({"receive"}).exitStatus, 0);
    const std::string reported = Run({"list", "sent"}).out;
    EXPECT_TRUE(Contains(reported, "\tHi\tfailed: validity period expired\n")) << reported;
}

TEST_F(CliTool, ExitsTwoOnUsageErrorsAndZeroOnHelp) {
    const ToolRun help = Run({"--help"}), queueHelp = Run({"queue", "--help"});
    EXPECT_EQ(help, (ToolRun{0, help.out, ""}));
    EXPECT_TRUE(Contains(help.out, "clear-database")) << help.out;
    EXPECT_EQ(queueHelp, (ToolRun{0, queueHelp.out, ""}));
    EXPECT_TRUE(Contains(queueHelp.out, "--to ENTRY")) << queueHelp.out;
    SetOption("BaudRate", "9600");
    SetOption("ServiceCentre", std::string(99, '1'));
    SetOption("GsmAlphabetOnly", "1");
    const Arguments usageErrors[] = {
        {},
        {"list", "drafts"},
        {"queue", "Hello"},
        {"queue", "--to", "+447700900123", "\xC3"},
        {"queue", "--to", "\xC3", "Hi"},
        {"options"},
        {"options", "get", "Colour"},
        {"--port", "", "receive"},
        {"clear-database"},
        // Only values the option dialogs could store are taken.
        {"options", "set", "BaudRate", "0"},
        {"options", "set", "BaudRate", "fast"},
        {"options", "set", "BaudRate", "96OO"},
        {"options", "set", "BaudRate", "99999999999"},
        {"options", "set", "GsmAlphabetOnly", "2"},
        {"options", "set", "ValidityPeriod", "4"},
        {"options", "set", "StopBits", "3"},
        {"options", "set", "FlowControl", "-1"},
        {"options", "set", "DataBits", "4"},
        {"options", "set", "DataBits", "9"},
        {"options", "set", "ServiceCentre", std::string(100, '2')},
        {"options", "set", "Colour", "1"},
    };
    for (const Arguments& arguments : usageErrors) {
        SCOPED_TRACE(::testing::PrintToString(arguments));
        const ToolRun run = Run(arguments);
        EXPECT_EQ(run.exitStatus, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err.rfind("mivex-cli: ", 0), 0u) << run.err;
        EXPECT_TRUE(Contains(run.err, "\nUsage: mivex-cli ")) << run.err;
    }
    EXPECT_EQ(Run({"options", "get", "BaudRate"}).out, "9600\n");
    EXPECT_EQ(Run({"options", "get", "ServiceCentre"}).out, std::string(99, '1') + "\n");
}

TEST_F(CliTool, RefusesAStoreItCannotOpenUntilCleared) {
    // A file that is not a store is someone else's: nothing writes to it until
    // the user clears it.
    fs::create_directories(data / "Database");
    std::ofstream(data / "Database" / "smsdata.cdb") << "not a database";
    const Arguments commands[] = {{"list", "inbox"},
                                  {"options", "get", "Port"},
                                  {"options", "set", "BaudRate", "9600"},
                                  {"queue", "--to", "1", "Hi"},
                                  {"export", (temp.path() / "out.txt").string()},
                                  {"receive"},
                                  {"send"}};
    for (const Arguments& arguments : commands) {
        SCOPED_TRACE(::testing::PrintToString(arguments));
        const ToolRun run = Run(arguments);
        EXPECT_EQ(run.exitStatus, 1);
        EXPECT_EQ(run.err.rfind("mivex-cli: cannot ", 0), 0u) << run.err;
    }
    EXPECT_EQ(Run({"clear-database", "--yes"}),
              (ToolRun{0, "Database cleared, please check Option settings\n", ""}));
    SetOption("BaudRate", "9600");
}

}  // namespace
}  // namespace mivex::tools
