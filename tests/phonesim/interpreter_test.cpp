#include <gtest/gtest.h>

#include "phone_fixtures.h"

namespace mivex::phonesim {
namespace {

// Each script runs on a fresh phone holding "Hi" unread in the given phone slots.
struct Script {
    std::string_view name;
    std::vector<int> slots;
    std::vector<std::pair<std::string, std::string>> exchanges;  // command, whole answer
};

const std::string kCsq = "\r\n+CSQ: 20,99\r\n\r\nOK\r\n";
const std::string kHi(test::kHiDeliver);
const std::string kSubmit(test::kHiSubmit);

// clang-format off
const Script kScripts[] = {
    {"the program's start-up and message commands", {1}, {
        {"AT+CMGF=1\r", "\r\nERROR\r\n"},
        {"AT+CPMS=\"ME\"\r", "\r\n+CPMS: 1,30,1,30,1,30\r\n\r\nOK\r\n"},
        {"AT+CPMS=\"SM\"\r", "\r\n+CPMS: 0,30,1,30,1,30\r\n\r\nOK\r\n"},
        {"AT+CPMS=\"ME\"\r", "\r\n+CPMS: 1,30,1,30,1,30\r\n\r\nOK\r\n"},
        {"AT+CMGR=1\r", "\r\n+CMGR: 0,,21\r\n" + kHi + "\r\n\r\nOK\r\n"},
        // Read once, the message is no longer unread.
        {"AT+CMGR=1\r", "\r\n+CMGR: 1,,21\r\n" + kHi + "\r\n\r\nOK\r\n"},
        {"AT+CMGR=2\r", "\r\nOK\r\n"},
        {"AT+CMGR=31\r", "\r\nERROR\r\n"},
        {"AT+CMGD=1\r", "\r\nOK\r\n"},
        {"AT+CMGR=1\r", "\r\nOK\r\n"},
        {"AT+CPMS=\"ME\"\r", "\r\n+CPMS: 0,30,0,30,0,30\r\n\r\nOK\r\n"}}},
    {"common commands of other clients", {1}, {
        {"AT\r", "\r\nOK\r\n"},
        {"at+cgmm\r", "\r\nPhoneSim\r\n\r\nOK\r\n"},
        {"AT+CSQ\r", kCsq},
        {"AT+CFUN=1\r", "\r\nOK\r\n"},
        {"AT+CPMS=\"SM\",\"SM\"\r", "\r\n+CPMS: 0,30,0,30,1,30\r\n\r\nOK\r\n"},
        {"AT+CPMS=\"ME\",\"SM\",\"ME\"\r", "\r\n+CPMS: 1,30,0,30,1,30\r\n\r\nOK\r\n"},
        {"AT+CPMS?\r", "\r\n+CPMS: \"ME\",1,30,\"SM\",0,30,\"ME\",1,30\r\n\r\nOK\r\n"},
        {"AT+CPMS=\"XX\"\r", "\r\nERROR\r\n"},
        {"AT+CGMI;+CGMM\r", "\r\nMivex\r\nPhoneSim\r\n\r\nOK\r\n"},
        {"ATE0V1\r", "\r\nOK\r\n"},
        {"AT+XYZZY\r", "\r\nERROR\r\n"},
        {"ATÜ\r", "\r\nERROR\r\n"},
        {"AT+CMGL=\"ALL\"\r", "\r\nERROR\r\n"},
        {"AT+CMGR\r", "\r\nERROR\r\n"},
        // A line that does not start with AT is noise: no answer at all.
        {"hello\r", ""},
        {"\r", ""}}},
    {"line editing, echo and registers", {1}, {
        // Escape drops the line so far, backspace its last character.
        {"AT+CMGD=1\x1b" "AT+CSQ\r", kCsq},
        {"\x1b\r", ""},
        {"AT+CSQX\b\r", kCsq},
        {"AT\r\n", "\r\nOK\r\n"},  // a CR LF line end answers once
        {"AT+CSQ" + std::string(kMaxCommandLine * 4, ';') + "\r", "\r\nERROR\r\n"},
        {"AT+CSQ\r", kCsq},
        {"ATE1\r", "\r\nOK\r\n"},
        // A real echo comes byte by byte, before the answer is known.
        {"AT", "AT"},
        {"+CSQ\r", "+CSQ\r" + kCsq},
        {"ATZ\r", "ATZ\r\r\nOK\r\n"},  // ATZ keeps echo on, the default
        {"ATE0\r", "ATE0\r\r\nOK\r\n"},
        {"ATV0\r", "0\r"},
        {"AT+CSQ\r", "+CSQ: 20,99\r\n0\r"},
        {"AT+NOPE\r", "4\r"},
        {"ATV1\r", "\r\nOK\r\n"},
        {"ATS0=2\r", "\r\nOK\r\n"},
        {"ATS0?\r", "\r\n002\r\n\r\nOK\r\n"},
        {"ATS7?\r", "\r\n000\r\n\r\nOK\r\n"},
        {"ATS0=256\r", "\r\nERROR\r\n"}}},
    {"error form by AT+CMEE", {1}, {
        {"AT+CMGR=0\r", "\r\nERROR\r\n"},
        {"AT+CMEE=1\r", "\r\nOK\r\n"},
        {"AT+CMGR=0\r", "\r\n+CMS ERROR: 321\r\n"},
        {"AT+CMGF=1\r", "\r\n+CMS ERROR: 303\r\n"},
        {"AT+CPIN=\"1234\"\r", "\r\n+CME ERROR: 3\r\n"},
        // Unknown commands stay plain ERROR, as on real phones.
        {"AT+XYZZY\r", "\r\nERROR\r\n"},
        {"AT+CMEE=2\r", "\r\nOK\r\n"},
        {"AT+CMGR=0\r", "\r\n+CMS ERROR: invalid memory index\r\n"},
        {"AT+CMEE=3\r", "\r\nERROR\r\n"}}},
    {"service centre in UCS2 and set by the client", {1}, {
        {"AT+CSCA=\"4477001\",145\r", "\r\nOK\r\n"},
        {"AT+CSCA?\r", "\r\n+CSCA: \"+4477001\",145\r\n\r\nOK\r\n"},
        {"AT+CSCS=\"UCS2\"\r", "\r\nOK\r\n"},
        {"AT+CSCA?\r", "\r\n+CSCA: \"002B0034003400370037003000300031\",145\r\n\r\nOK\r\n"},
        {"AT+CSCA=\"00310032\",129\r", "\r\nOK\r\n"},
        {"AT+CSCA=\"0031003\"\r", "\r\nERROR\r\n"},
        {"AT+CSCS=\"GSM\"\r", "\r\nOK\r\n"},
        {"AT+CSCA?\r", "\r\n+CSCA: \"12\",129\r\n\r\nOK\r\n"},
        {"AT+CSCA=\"12;X\"\r", "\r\nERROR\r\n"},
        {"AT+CSCS=\"HEX\"\r", "\r\nERROR\r\n"}}},
    {"a prompt only for a fitting AT+CMGS, escape cancels", {1}, {
        {"AT+CMGS=0\r", "\r\nERROR\r\n"},
        {"AT+CMGS=165\r", "\r\nERROR\r\n"},
        {"AT+CMGS\r", "\r\nERROR\r\n"},
        {"AT+CMGS=16\r", "\r\n> "},
        {kSubmit + "\x1b", "\r\nOK\r\n"},
        {"ATE1\r", "\r\nOK\r\n"},
        {"AT+CMGS=16\r", "AT+CMGS=16\r\r\n> "},
        // The PDU is echoed too; reference 0 shows the cancelled one was not counted.
        {kSubmit + "\x1a", kSubmit + "\r\n+CMGS: 0\r\n\r\nOK\r\n"}}},
    {"listing by status marks the listed messages read", {2, 5}, {
        {"AT+CMGR=5\r", "\r\n+CMGR: 0,,21\r\n" + kHi + "\r\n\r\nOK\r\n"},
        {"AT+CMGL=0\r", "\r\n+CMGL: 2,0,,21\r\n" + kHi + "\r\n\r\nOK\r\n"},
        {"AT+CMGL=0\r", "\r\nOK\r\n"},
        {"AT+CMGL=4\r", "\r\n+CMGL: 2,1,,21\r\n" + kHi + "\r\n+CMGL: 5,1,,21\r\n" + kHi + "\r\n\r\nOK\r\n"},
        {"AT+CMGL=5\r", "\r\nERROR\r\n"}}},
    {"AT+CMGW writes to the write memory; AT+CMGD flags choose by status", {1, 2}, {
        {"AT+CMGR=1\r", "\r\n+CMGR: 0,,21\r\n" + kHi + "\r\n\r\nOK\r\n"},
        {"AT+CPMS=\"ME\",\"ME\"\r", "\r\n+CPMS: 2,30,2,30,2,30\r\n\r\nOK\r\n"},
        {"AT+CMGW=16\r", "\r\n> "},
        {kSubmit + "\x1a", "\r\n+CMGW: 3\r\n\r\nOK\r\n"},
        {"AT+CMGW=16,3\r", "\r\n> "},
        {kSubmit + "\x1a", "\r\n+CMGW: 4\r\n\r\nOK\r\n"},
        {"AT+CMGL=2\r", "\r\n+CMGL: 3,2,,16\r\n" + kSubmit + "\r\n\r\nOK\r\n"},
        {"AT+CMGL=3\r", "\r\n+CMGL: 4,3,,16\r\n" + kSubmit + "\r\n\r\nOK\r\n"},
        {"AT+CMGD=1,2\r", "\r\nOK\r\n"},  // read and sent
        {"AT+CMGL=4\r", "\r\n+CMGL: 2,0,,21\r\n" + kHi + "\r\n+CMGL: 3,2,,16\r\n" + kSubmit + "\r\n\r\nOK\r\n"},
        {"AT+CMGD=0,4\r", "\r\nOK\r\n"},
        {"AT+CMGL=4\r", "\r\nOK\r\n"},
        {"AT+CMGD=31\r", "\r\nERROR\r\n"}}},
};
// clang-format on

TEST(Interpreter, AnswersEachScriptLineByLine) {
    for (const Script& script : kScripts) {
        PhoneStores stores{MessageStore(30), MessageStore(30)};
        for (const int slot : script.slots)
            EXPECT_TRUE(
                stores.phone.Put(slot, {sms::HexToBytes(kHi), MessageStatus::ReceivedUnread}));
        test::Phone phone(std::move(stores));
        for (const auto& [command, answer] : script.exchanges) {
            SCOPED_TRACE(std::string(script.name) + ": " + ::testing::PrintToString(command));
            EXPECT_EQ(phone(command), answer);
        }
    }
}

}  // namespace
}  // namespace mivex::phonesim
