#include <gtest/gtest.h>

#include "phone_fixtures.h"

namespace mivex::phonesim {
namespace {

using test::kHiDeliver;
using test::Phone;

struct Exchange {
    std::string_view command;
    std::string answer;
};

void ExpectAnswers(Phone& phone, std::initializer_list<Exchange> exchanges) {
    for (const Exchange& exchange : exchanges) {
        SCOPED_TRACE(exchange.command);
        EXPECT_EQ(phone(exchange.command), exchange.answer);
    }
}

TEST(Interpreter, AnswersTheProgramsStartUpAndMessageCommands) {
    Phone phone;
    ExpectAnswers(
        phone,
        {
            {"AT+CMGF=1\r", "\r\nERROR\r\n"},
            {"AT+CPMS=\"ME\"\r", "\r\n+CPMS: 1,30,1,30,1,30\r\n\r\nOK\r\n"},
            {"AT+CPMS=\"SM\"\r", "\r\n+CPMS: 0,30,1,30,1,30\r\n\r\nOK\r\n"},
            {"AT+CPMS=\"ME\"\r", "\r\n+CPMS: 1,30,1,30,1,30\r\n\r\nOK\r\n"},
            {"AT+CMGR=1\r", "\r\n+CMGR: 0,,21\r\n" + std::string(kHiDeliver) + "\r\n\r\nOK\r\n"},
            // Read once, the message is no longer unread.
            {"AT+CMGR=1\r", "\r\n+CMGR: 1,,21\r\n" + std::string(kHiDeliver) + "\r\n\r\nOK\r\n"},
            {"AT+CMGR=2\r", "\r\nOK\r\n"},
            {"AT+CMGR=31\r", "\r\nERROR\r\n"},
            {"AT+CMGD=1\r", "\r\nOK\r\n"},
            {"AT+CMGR=1\r", "\r\nOK\r\n"},
            {"AT+CPMS=\"ME\"\r", "\r\n+CPMS: 0,30,0,30,0,30\r\n\r\nOK\r\n"},
        });
}

TEST(Interpreter, AnswersCommonCommandsOfOtherClients) {
    Phone phone;
    ExpectAnswers(
        phone, {
                   {"AT\r", "\r\nOK\r\n"},
                   {"at+cgmm\r", "\r\nPhoneSim\r\n\r\nOK\r\n"},
                   {"AT+CSQ\r", "\r\n+CSQ: 20,99\r\n\r\nOK\r\n"},
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
                   {"\r", ""},
               });
}

TEST(Interpreter, EditsLinesEchoesAndKeepsRegisters) {
    Phone phone;
    const std::string csq = "\r\n+CSQ: 20,99\r\n\r\nOK\r\n";
    const std::string longLine = "AT+CSQ" + std::string(kMaxCommandLine * 4, ';') + "\r";
    ExpectAnswers(phone, {
                             // Escape drops the line so far, backspace its last character.
                             {"AT+CMGD=1\x1b"
                              "AT+CSQ\r",
                              csq},
                             {"\x1b\r", ""},
                             {"AT+CSQX\b\r", csq},
                             {"AT\r\n", "\r\nOK\r\n"},  // a CR LF line end answers once
                             {longLine, "\r\nERROR\r\n"},
                             {"AT+CSQ\r", csq},
                             {"ATE1\r", "\r\nOK\r\n"},
                             // A real echo comes byte by byte, before the answer is known.
                             {"AT", "AT"},
                             {"+CSQ\r", "+CSQ\r" + csq},
                             {"ATZ\r", "ATZ\r\r\nOK\r\n"},  // ATZ keeps echo on, the default
                             {"ATE0\r", "ATE0\r\r\nOK\r\n"},
                             {"ATV0\r", "0\r"},
                             {"AT+CSQ\r", "+CSQ: 20,99\r\n0\r"},
                             {"AT+NOPE\r", "4\r"},
                             {"ATV1\r", "\r\nOK\r\n"},
                             {"ATS0=2\r", "\r\nOK\r\n"},
                             {"ATS0?\r", "\r\n002\r\n\r\nOK\r\n"},
                             {"ATS7?\r", "\r\n000\r\n\r\nOK\r\n"},
                             {"ATS0=256\r", "\r\nERROR\r\n"},
                         });
}

TEST(Interpreter, ErrorFormFollowsCmee) {
    Phone phone;
    ExpectAnswers(phone, {
                             {"AT+CMGR=0\r", "\r\nERROR\r\n"},
                             {"AT+CMEE=1\r", "\r\nOK\r\n"},
                             {"AT+CMGR=0\r", "\r\n+CMS ERROR: 321\r\n"},
                             {"AT+CMGF=1\r", "\r\n+CMS ERROR: 303\r\n"},
                             {"AT+CPIN=\"1234\"\r", "\r\n+CME ERROR: 3\r\n"},
                             // Unknown commands stay plain ERROR, as on real phones.
                             {"AT+XYZZY\r", "\r\nERROR\r\n"},
                             {"AT+CMEE=2\r", "\r\nOK\r\n"},
                             {"AT+CMGR=0\r", "\r\n+CMS ERROR: invalid memory index\r\n"},
                             {"AT+CMEE=3\r", "\r\nERROR\r\n"},
                         });
}

TEST(Interpreter, ServiceCentreInUcs2AndSetByClient) {
    Phone phone;
    ExpectAnswers(phone, {
                             {"AT+CSCA=\"4477001\",145\r", "\r\nOK\r\n"},
                             {"AT+CSCA?\r", "\r\n+CSCA: \"+4477001\",145\r\n\r\nOK\r\n"},
                             {"AT+CSCS=\"UCS2\"\r", "\r\nOK\r\n"},
                             {"AT+CSCA?\r",
                              "\r\n+CSCA: \"002B0034003400370037003000300031\",145\r\n\r\nOK\r\n"},
                             {"AT+CSCA=\"00310032\",129\r", "\r\nOK\r\n"},
                             {"AT+CSCA=\"0031003\"\r", "\r\nERROR\r\n"},
                             {"AT+CSCS=\"GSM\"\r", "\r\nOK\r\n"},
                             {"AT+CSCA?\r", "\r\n+CSCA: \"12\",129\r\n\r\nOK\r\n"},
                             {"AT+CSCA=\"12;X\"\r", "\r\nERROR\r\n"},
                             {"AT+CSCS=\"HEX\"\r", "\r\nERROR\r\n"},
                         });
}

}  // namespace
}  // namespace mivex::phonesim
