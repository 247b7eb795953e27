// The text export and the text clean-ups it uses.

#include "store/text_export.h"

#include <sys/stat.h>

#include <cstring>

#include "store_fixture.h"

namespace mivex::store::tests {
namespace {

TEST(ReplaceAll, ReplacesForwardAndStopsShortOfTheLimit) {
    struct Case {
        std::u16string text;
        std::size_t limit;
        std::u16string search;
        std::u16string replacement;
        std::u16string result;
    };
    const std::vector<Case> cases = {
        {u"aaa", 100, u"aa", u"b", u"ba"},
        {u"xax", 100, u"a", u"aa", u"xaax"},
        // Growing to 6 would reach the limit of 6: the rest stays as it was.
        {u"a-b-c", 6, u"-", u"--", u"a-b-c"},
        {u"a-b-c", 7, u"-", u"--", u"a--b-c"},
        // Same-length replacements never meet the limit.
        {u"a-b", 1, u"-", u"+", u"a+b"},
        {u"abc", 100, u"", u"x", u"abc"},
        {u"", 100, u"a", u"b", u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text.begin(), c.text.end()));
        std::u16string text = c.text;
        EXPECT_EQ(ReplaceAll(text, c.limit, c.search, c.replacement), c.result.size());
        EXPECT_EQ(text, c.result);
    }
}

TEST(FlattenLineBreaks, MakesEveryKindOfBreakOneSpace) {
    const std::vector<std::pair<std::u16string, std::u16string>> cases = {
        {u"one\r\ntwo", u"one two"}, {u"one\ntwo", u"one two"},      {u"one\rtwo", u"one two"},
        {u"one\n\rtwo", u"one two"}, {u"a\r\n\r\nb", u"a  b"},       {u"\r\n\n\r\r\n", u"   "},
        {u"a\n\r\nb", u"a  b"},      {u"tab\tstays", u"tab\tstays"},
    };
    for (const auto& [input, flat] : cases) {
        SCOPED_TRACE(std::string(input.begin(), input.end()));
        std::u16string text = input;
        EXPECT_EQ(FlattenLineBreaks(text), flat.size());
        EXPECT_EQ(text, flat);
    }
    std::u16string field = u"a\tb\r\nc";
    EXPECT_EQ(FlattenField(field), 5u);
    EXPECT_EQ(field, u"a b c");
}

class Export : public StoreTest {
protected:
    std::u16string ReadBack() const {
        const std::string bytes = ReadFileBytes(target);
        EXPECT_EQ(bytes.size() % 2, 0u);
        std::u16string text(bytes.size() / 2, u' ');
        std::memcpy(text.data(), bytes.data(), text.size() * 2);  // little-endian host
        return text;
    }
    // Files in the data directory: the volume's folder and the export, no
    // temporary file left behind.
    long FilesBesideTheExport() const {
        return std::distance(std::filesystem::directory_iterator(dir.path()),
                             std::filesystem::directory_iterator());
    }

    std::filesystem::path target = dir.path() / "Mivex Messages.txt";
};

TEST_F(Export, WritesInboxThenSentEachNewestFirst) {
    {
        FolderHandle inbox = Open(kInboxName, kInboxByDate);
        Write(*inbox, ToProps(InboxRecord{u"+4477", At(2004, 12, 31, 23, 59, 7), u"two\r\nlines", 0,
                                          0, 0, 0, 1, u"Ann\tLee", u""}));
        Write(*inbox, ToProps(InboxRecord{u"+1", At(2026, 3, 5, 9, 7, 0), u"newer\nmessage", 0, 0,
                                          0, 0, 0, u"+1", u""}));
        PropArray nine = ToProps(InboxRecord{});
        nine.pop_back();
        Write(*inbox, nine);
        FolderHandle sent = Open(kSentName, kSentByDate);
        Write(*sent,
              ToProps(SentRecord{u"+2", u"Bob", At(2010, 1, 2, 3, 4, 5), u"sent\rtext", u""}));
    }
    EXPECT_EQ(ExportMessages(store, target), 3);
    EXPECT_EQ(ReadBack(),
              u"\uFEFF"
              u"Inbox\t05/03/26  09:07:00\t+1\t+1\tnewer message\r\n"
              u"Inbox\t31/12/04  23:59:07\t+4477\tAnn Lee\ttwo lines\r\n"
              u"Sent\t02/01/10  03:04:05\t+2\tBob\tsent text\r\n");
    struct stat info {};
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(info.st_mode & 0777, 0666 & ~mask);
    EXPECT_EQ(FilesBesideTheExport(), 2);
    // A folder that cannot be written gives no lines, and is told apart from
    // an export of nothing.
    EXPECT_EQ(ExportMessages(store, dir.path() / "missing" / "x.txt"), 0);
    EXPECT_EQ(ExportMessagesOrFail(store, dir.path() / "missing" / "x.txt"), std::nullopt);
}

TEST_F(Export, ReplacesTheOldFileOnlyWhenItSucceeds) {
    WriteFileBytes(target, "an older export");
    EXPECT_EQ(ExportMessagesOrFail(store, target), ExportCounts{});
    EXPECT_EQ(ReadFileBytes(target), "\xFF\xFE");  // empty folders: only the byte order mark

    WriteFileBytes(target, "an older export");
    // A volume file that is not a database: the Inbox cannot be opened.
    WriteFileBytes(store.VolumePath(), "not a database, not to be touched");
    EXPECT_EQ(ExportMessagesOrFail(store, target), std::nullopt);
    EXPECT_EQ(ReadFileBytes(target), "an older export");
    EXPECT_EQ(FilesBesideTheExport(), 2);
}

}  // namespace
}  // namespace mivex::store::tests
