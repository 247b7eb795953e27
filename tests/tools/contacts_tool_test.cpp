#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "run_tool.h"
#include "temp_dir.h"

namespace mivex::tools {
namespace {

namespace fs = std::filesystem;

class ContactsTool : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(contacts);
        std::ofstream(contacts / "book.vcf") << "BEGIN:VCARD\r\nVERSION:3.0\r\n"
                                                "N:Lee;Ann;;;\r\nTEL;TYPE=CELL:07700 900123\r\n"
                                                "TEL;TYPE=HOME:0161 496 0000\r\n"
                                                "CATEGORIES:Golf\r\nEND:VCARD\r\n"
                                                "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Bob\r\n"
                                                "TEL:+44 7700 900999\r\n";  // cut short
    }

    ToolRun Run(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), {"--data-dir", temp.path().string()});
        return RunTool(MIVEX_CONTACTS_PATH, arguments);
    }

    testing::TempDir temp;
    fs::path contacts = temp.path() / "contacts";
};

TEST_F(ContactsTool, ShowsWhatTheProgramWillOfferAndName) {
    const ToolRun list = Run({"list", "--category", "Golf"});
    EXPECT_EQ(list.exitStatus, 0);
    EXPECT_EQ(list.out, "Ann Lee,07700900123,M\n");

    const ToolRun lookup = Run({"lookup", "+447700900123"});
    EXPECT_EQ(lookup.exitStatus, 0);
    EXPECT_EQ(lookup.out, "Ann Lee\n");
    EXPECT_EQ(Run({"lookup", "+447700900124"}).exitStatus, 1);

    const ToolRun check = Run({"check"});
    EXPECT_EQ(check.exitStatus, 1);
    EXPECT_NE(check.out.find("book.vcf:8: "), std::string::npos) << check.out;
    EXPECT_NE(check.out.find("1 contact records, 1 categories"), std::string::npos);

    EXPECT_EQ(Run({"list", "--category", "Chess"}).exitStatus, 1);
    EXPECT_EQ(Run({"frobnicate"}).exitStatus, 2);
}

}  // namespace
}  // namespace mivex::tools
