#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "run_tool.h"
#include "temp_dir.h"

namespace mivex::tools {
namespace {

TEST(ContactsTool, ShowsWhatTheProgramWillOfferAndName) {
    const testing::TempDir temp;
    std::filesystem::create_directories(temp.path() / "contacts");
    std::ofstream(temp.path() / "contacts" / "book.vcf")
        << "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Lee;Ann;;;\r\nTEL;TYPE=CELL:07700 900123\r\n"
           "TEL;TYPE=HOME:0161 496 0000\r\nCATEGORIES:Golf\r\nEND:VCARD\r\n"
           "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Bob\r\nTEL:+44 7700 900999\r\n";  // cut short
    const auto run = [&](std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), {"--data-dir", temp.path().string()});
        return RunTool(MIVEX_TOOL_PATH, arguments);
    };

    EXPECT_EQ(run({"list", "--category", "Golf"}), (ToolRun{0, "Ann Lee,07700900123,M\n", ""}));
    // Shared with the desktop program, which then need not read the file again.
    EXPECT_TRUE(std::filesystem::exists(temp.path() / "contacts.cache"));
    EXPECT_EQ(run({"lookup", "+447700900123"}), (ToolRun{0, "Ann Lee\n", ""}));
    EXPECT_EQ(run({"lookup", "+447700900124"}).exitStatus, 1);
    const ToolRun check = run({"check"});
    EXPECT_EQ(check.exitStatus, 1);
    EXPECT_NE(check.out.find("book.vcf:8: "), std::string::npos) << check.out;
    EXPECT_NE(check.out.find("1 contact records, 1 categories"), std::string::npos);
    EXPECT_EQ(run({"list", "--category", "Chess"}).exitStatus, 1);
    EXPECT_EQ(run({"frobnicate"}).exitStatus, 2);
}

}  // namespace
}  // namespace mivex::tools
