#include <gtest/gtest.h>

#include <algorithm>

#include "phone_fixtures.h"

namespace mivex::phonesim {
namespace {

using namespace test;

TEST(FaultPlan, PatternsMatchCommandNamesAndWholeArguments) {
    // pattern, command line, matches
    const std::tuple<std::string_view, std::string_view, bool> cases[] = {
        {"+CMGR", "AT+CMGR=3", true},
        {"at+cmgr", "AT+CMGR=3", true},
        {"+CMGR=3", "AT+CMGR=3", true},
        {"+CMGR=3", "AT+CMGR=31", false},
        {"+CMG", "AT+CMGR=3", false},
        {"+CSCA?", "AT+CSCA?", true},
        {"+CSCA", "AT+CSCA?", true},
        {"AT", "AT", true},
        {"AT", "AT+CSQ", false},
        {"*", "AT+CSQ", true},
        {"*", "PDU", true},
        {"PDU", "PDU", true},
        {"PDU", "AT+CMGS=16", false},
        {"+CMGS", "PDU", false},
    };
    for (const auto& [pattern, line, matches] : cases) {
        SCOPED_TRACE(std::string(pattern) + " / " + std::string(line));
        EXPECT_EQ(PatternMatches(NormalisePattern(pattern), line), matches);
    }
}

TEST(FaultPlan, RefusesMalformedRequests) {
    const std::pair<FaultKind, std::string_view> bad[] = {
        {FaultKind::Silent, ""},           {FaultKind::Silent, "+CMGR 3"},
        {FaultKind::Cut, "+CMGR"},         {FaultKind::Cut, "+CMGR ten"},
        {FaultKind::CmsError, "+CMGR -1"}, {FaultKind::Garbage, "+CMGR 100001"},
        {FaultKind::Unsolicited, "RING"},  {FaultKind::Error, " +CMGR"},
        {FaultKind::Late, "+CMGR"},
    };
    for (const auto& [kind, request] : bad) {
        SCOPED_TRACE(request);
        std::string error;
        EXPECT_FALSE(ParseCommandFault(kind, request, error).has_value());
        EXPECT_FALSE(error.empty());
    }
}

TEST(Faults, ComeBeforeOrReplaceTheAnswerAndStopTheCommand) {
    FaultPlan plan =
        Plan({Fault(FaultKind::Unsolicited, "+CMGR=3 +CMTI: \"SM\",3"),
              Fault(FaultKind::Unsolicited, "+CMGR RING"), Fault(FaultKind::Error, "+CMGD=1"),
              Fault(FaultKind::CmsError, "+CMGD=2 500"), Fault(FaultKind::Silent, "PDU")});
    plan.emptySlotError = true;
    Phone phone(StoresWith({{1, kHiDeliver}, {2, kHiDeliver}}), plan);
    EXPECT_EQ(phone("AT+CMGR=3\r"), "\r\n+CMTI: \"SM\",3\r\n\r\nRING\r\n\r\n+CMS ERROR: 321\r\n");
    EXPECT_EQ(phone("AT+CMGR=1\r").substr(0, 18), "\r\nRING\r\n\r\n+CMGR: 0");
    EXPECT_EQ(phone("AT+CMGD=1\r"), "\r\nERROR\r\n");
    // The coded form goes out although AT+CMEE=0 asked for plain errors.
    EXPECT_EQ(phone("AT+CMGD=2\r"), "\r\n+CMS ERROR: 500\r\n");
    EXPECT_EQ(phone.interpreter().Stores().phone.Used(), 2);
    EXPECT_EQ(phone("AT+CMGS=16\r"), "\r\n> ");
    const InterpreterOutput output = phone.Feed(std::string(kHiSubmit) + "\x1a");
    EXPECT_EQ(output.bytes, "");
    EXPECT_TRUE(output.submitted.empty());
    EXPECT_EQ(phone("AT\r"), "\r\nOK\r\n");
}

TEST(Faults, LateHoldsBackTheAnswerButNotTheEcho) {
    Phone phone(StoresWith({}), Plan({Fault(FaultKind::Late, "+CGMI 4000")}));
    (void)phone("ATE1\r");
    const InterpreterOutput output = phone.Feed("AT+CGMI\r");
    EXPECT_EQ(output.bytes, "AT+CGMI\r\r\nMivex\r\n\r\nOK\r\n");
    ASSERT_TRUE(output.hold.has_value());
    EXPECT_EQ(output.hold->from, 8u);
    EXPECT_EQ(output.hold->ms, 4000);
}

TEST(Faults, GarbageIsNoiseThatSpellsNoResultCode) {
    Phone phone(StoresWith({}), Plan({Fault(FaultKind::Garbage, "+CGMI 200")}));
    const std::string answer = phone("AT+CGMI\r");
    ASSERT_EQ(answer.size(), 200U + std::string_view("\r\nMivex\r\n\r\nOK\r\n").size());
    EXPECT_TRUE(std::all_of(answer.begin(), answer.begin() + 200,
                            [](char byte) { return static_cast<unsigned char>(byte) >= 0x80U; }));
    EXPECT_EQ(answer.substr(200), "\r\nMivex\r\n\r\nOK\r\n");
}

TEST(Faults, CutMarksThePointAndTheLineStaysDead) {
    Phone whole(StoresWith({}), Plan({Fault(FaultKind::Cut, "AT 1000")}));
    const InterpreterOutput clamped = whole.Feed("AT\r");
    EXPECT_EQ(clamped.cutAt, clamped.bytes.size());

    Phone phone(StoresWith({}), Plan({Fault(FaultKind::Cut, "+CGMI 4")}));
    (void)phone("ATE1\r");
    const InterpreterOutput output = phone.Feed("AT+CGMI\rAT\r");
    // Echo first, then four bytes of the answer; the rest never reaches the line.
    EXPECT_EQ(output.bytes, "AT+CGMI\r\r\nMivex\r\n\r\nOK\r\n");
    ASSERT_TRUE(output.cutAt.has_value());
    EXPECT_EQ(output.bytes.substr(0, *output.cutAt), "AT+CGMI\r\r\nMi");
    EXPECT_TRUE(phone.interpreter().LineCut());
    EXPECT_EQ(phone("AT\r"), "");
}

TEST(Faults, RefusedSubmissionIsCountedFromOneAndNotRecorded) {
    FaultPlan plan;
    plan.refusedSubmissions = {2};
    Phone phone(StoresWith({}), plan);
    // A prompt refused for what follows it is no submission.
    EXPECT_EQ(phone("AT+CMGS=16;+CSQ\r"), "\r\nERROR\r\n");
    std::vector<std::string> answers;
    std::size_t recorded = 0;
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(phone("AT+CMGS=16\r"), "\r\n> ");
        const InterpreterOutput output = phone.Feed(std::string(kHiSubmit) + "\x1a");
        answers.push_back(output.bytes);
        recorded += output.submitted.size();
    }
    EXPECT_EQ(answers, (std::vector<std::string>{"\r\n+CMGS: 0\r\n\r\nOK\r\n", "\r\nERROR\r\n",
                                                 "\r\n+CMGS: 1\r\n\r\nOK\r\n"}));
    EXPECT_EQ(recorded, 2U);
}

}  // namespace
}  // namespace mivex::phonesim
