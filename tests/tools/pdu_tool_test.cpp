#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "run_tool.h"

namespace mivex::tools {
namespace {

using Arguments = std::vector<std::string>;

ToolRun RunPduTool(const Arguments& arguments) {
    return RunTool(MIVEX_TOOL_PATH, arguments);
}

TEST(PduTool, PrintsExactOutput) {
    const struct {
        Arguments arguments;
        std::string out;  // the one line printed, without its line feed
    } vectors[] = {
        // A part of a concatenated message: 8-bit reference 42, part 1 of 2.
        {{"decode", "00440B914477000910F2000040215131508000090500032A02019069"},
         R"({"type":"deliver","whole":false,"sender":"+44770090012","timestamp":"2004-12-15 13:05:08",)"
         R"("text":"Hi","is_part":1,"part_ref":42,"part_count":2,"part_seq":1})"},
        // UCS2 quote and line feed: the decoder makes the LF a CR LF pair.
        {{"decode", "00040B914477000910F2000840215131508000040022000A"},
         R"({"type":"deliver","whole":true,"sender":"+44770090012","timestamp":"2004-12-15 13:05:08",)"
         R"("text":"\"\u000D\u000A","is_part":0,"part_ref":0,"part_count":0,"part_seq":0})"},
        // A report that message 42 to +447700900123 expired undelivered.
        {{"decode",
          "0006"
          "2A0C91447700091032"
          "62216041300200"
          "62216041300500"
          "46"},
         R"({"type":"status-report","reference":42,"recipient":"+447700900123",)"
         R"("service_centre_time":"2026-12-06 14:03:20","discharge_time":"2026-12-06 14:03:50",)"
         R"("status":70,"delivery":"failed","reason":"validity period expired"})"},
        // clang-format off
        {{"encode", "--to", "+44 (7700) 900-12", "Hi"}, "16 0011000B914477000910F200000B02C834"},
        {{"encode", "--to", "+44770090012", "--sc", "+447700900005", "Hi"}, "16 079144770009005011000B914477000910F200000B02C834"},
        {{"encode", "--status-report", "--reply-path", "--validity", "3", "--to", "0123", "Hi"}, "12 00B100048110320000AD02C834"},
        {{"encode", "--to", "+44770090012", "--", "-"}, "15 0011000B914477000910F200000B012D"},
        // The euro sign as "?" with --gsm-only, and Cyrillic "Pe" in UCS2 without.
        {{"encode", "--gsm-only", "--to", "+44770090012", "\u20AC"}, "15 0011000B914477000910F200000B013F"},
        {{"encode", "--to", "+44770090012", "\u041F"}, "16 0011000B914477000910F200080B02041F"},
        // clang-format on
    };
    for (const auto& [arguments, out] : vectors) {
        SCOPED_TRACE(arguments.back());
        EXPECT_EQ(RunPduTool(arguments), (ToolRun{0, out + "\n", ""}));
    }
}

TEST(PduTool, SegmentsLongTextAndHelpsOnStdout) {
    const ToolRun run =
        RunPduTool({"encode", "--to", "+44770090012", "--concat-ref", "7", std::string(161, 'a')});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 2);
    // Segment 1 of 2 under reference 7 carries 153 characters (UDL A0).
    EXPECT_EQ(run.out.rfind("154 0051000B914477000910F200000BA0050003070201", 0), 0u) << run.out;
    const ToolRun help = RunPduTool({"encode", "--help"});
    EXPECT_EQ(help, (ToolRun{0, help.out, ""}));
    EXPECT_TRUE(help.out.find("--concat-ref") != std::string::npos) << help.out;
}

TEST(PduTool, RefusesBadInputWithUsageStatusAndUnstorablePdusWithStatus1) {
    const std::string digits99(99, '1');
    const std::pair<Arguments, int> rows[] = {
        // A PDU the receive run would not store: SMS-SUBMIT.
        {{"decode", "00010B914477000910F200004021513150800002C834"}, 1},
        {{"decode", "zz"}, 2},
        {{"decode", "0"}, 2},
        {{"decode", ""}, 2},
        {{}, 2},
        {{"encode", "--to", "+44ABCDEF", "Hi"}, 2},
        {{"encode", "--to", digits99 + "2", "Hi"}, 2},
        {{"encode", "--to", "1", "--sc", "447700900005", "Hi"}, 2},
        {{"encode", "--to", "1", "--sc", "+" + digits99, "Hi"}, 2},
        {{"encode", "--to", "1", "--validity", "4", "Hi"}, 2},
        {{"encode", "--to", "1", "--concat-ref", "256", "Hi"}, 2},
        {{"encode", "--to", "1", "\xC3("}, 2},
        {{"encode", "--to", "\xED\xA0\x80", "Hi"}, 2},
        {{"encode", "--to", "1", std::string(10000, 'x')}, 2},
    };
    for (const auto& [arguments, exitStatus] : rows) {
        SCOPED_TRACE(arguments.empty() ? "(no arguments)" : arguments.back().substr(0, 20));
        const ToolRun run = RunPduTool(arguments);
        // A refusal is one line on stderr, nothing on stdout.
        EXPECT_EQ(run.exitStatus, exitStatus);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err.rfind("mivex-pdu: ", 0), 0u) << run.err;
        EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
    }
    // The same limits let the longest numbers and text through.
    const ToolRun longest = RunPduTool(
        {"encode", "--to", digits99, "--sc", "+" + digits99.substr(1), std::string(9999, 'x')});
    EXPECT_EQ(longest.exitStatus, 0) << longest.err;
    EXPECT_EQ(std::count(longest.out.begin(), longest.out.end(), '\n'), 66);
}

}  // namespace
}  // namespace mivex::tools
