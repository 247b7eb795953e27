// The text export and the text clean-ups it uses.

#include "store/text_export.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <thread>

#include "store_fixture.h"

namespace mivex::store::tests {
namespace {

namespace fs = std::filesystem;

TEST(ReplaceAll, ReplacesForwardAndStopsShortOfTheLimit) {
    // text, limit, search, replacement, result
    const std::tuple<std::u16string, std::size_t, std::u16string, std::u16string, std::u16string>
        cases[] = {
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
    for (auto [text, limit, search, replacement, result] : cases) {
        SCOPED_TRACE(std::string(text.begin(), text.end()));
        EXPECT_EQ(ReplaceAll(text, limit, search, replacement), result.size());
        EXPECT_EQ(text, result);
    }
}

TEST(FlattenLineBreaks, MakesEveryKindOfBreakOneSpace) {
    const std::vector<std::pair<std::u16string, std::u16string>> cases = {
        {u"one\r\ntwo", u"one two"}, {u"one\ntwo", u"one two"},      {u"one\rtwo", u"one two"},
        {u"one\n\rtwo", u"one two"}, {u"a\r\n\r\nb", u"a  b"},       {u"\r\n\n\r\r\n", u"   "},
        {u"a\n\r\nb", u"a  b"},      {u"tab\tstays", u"tab\tstays"},
    };
    for (auto [text, flat] : cases) {
        SCOPED_TRACE(std::string(text.begin(), text.end()));
        EXPECT_EQ(FlattenLineBreaks(text), flat.size());
        EXPECT_EQ(text, flat);
    }
    std::u16string field = u"a\tb\r\nc";
    EXPECT_TRUE(FlattenField(field) == 5u && field == u"a b c");
}

struct Export : StoreTest {
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
        return std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator());
    }

    fs::path target = dir.path() / "Mivex Messages.txt";
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
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(ModeOf(target), 0666 & ~mask);
    EXPECT_EQ(FilesBesideTheExport(), 2);
    // A folder that cannot be written gives no lines, and is told apart from
    // an export of nothing.
    EXPECT_EQ(ExportMessages(store, dir.path() / "missing" / "x.txt"), 0);
    EXPECT_EQ(ExportMessagesOrFail(store, dir.path() / "missing" / "x.txt"), std::nullopt);
}

TEST_F(Export, ReplacesTheOldFileOnlyWhenItSucceedsAndKeepsItsMode) {
    WriteFileBytes(target, "an older export");
    ASSERT_EQ(::chmod(target.c_str(), 0600), 0);
    EXPECT_EQ(ExportMessagesOrFail(store, target), ExportCounts{});
    EXPECT_EQ(ReadFileBytes(target), "\xFF\xFE");  // empty folders: only the byte order mark
    EXPECT_EQ(ModeOf(target), 0600u);

    // Through a link, the file it points at is replaced and the link kept;
    // a name of 254 bytes still leaves room for the temporary name beside it.
    const fs::path longName = dir.path() / std::string(254, 'n');
    fs::create_symlink(target, longName);
    WriteFileBytes(target, "an older export");
    EXPECT_EQ(ExportMessagesOrFail(store, longName), ExportCounts{});
    EXPECT_TRUE(fs::is_symlink(longName));
    EXPECT_EQ(ReadFileBytes(target), "\xFF\xFE");
    fs::remove(longName);
    EXPECT_EQ(ExportMessagesOrFail(store, longName), ExportCounts{});
    EXPECT_EQ(ReadFileBytes(longName), "\xFF\xFE");
    fs::remove(longName);

    // A file the user may not write is not replaced (root may write any).
    if (::geteuid() != 0) {
        ASSERT_EQ(::chmod(target.c_str(), 0444), 0);
        EXPECT_EQ(ExportMessagesOrFail(store, target), std::nullopt);
        ASSERT_EQ(::chmod(target.c_str(), 0600), 0);
    }

    WriteFileBytes(target, "an older export");
    // A volume file that is not a database: the Inbox cannot be opened.
    WriteFileBytes(store.VolumePath(), "not a database, not to be touched");
    EXPECT_EQ(ExportMessagesOrFail(store, target), std::nullopt);
    EXPECT_EQ(ReadFileBytes(target), "an older export");
    EXPECT_EQ(FilesBesideTheExport(), 2);
}

// A FIFO or a device is written into and never replaced by a regular file.
// They are reached through links in the test's folder, so that a regression
// replaces a link there rather than a device of the machine. No call may
// wait on a FIFO without a reader (the test's TIMEOUT is the safety net).
TEST_F(Export, WritesIntoAPipeOrDeviceAndNeverReplacesIt) {
    const fs::path pipe = dir.path() / "pipe";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    fs::create_symlink("/dev/null", dir.path() / "null");
    fs::create_symlink("/dev/full", dir.path() / "full");
    // what it is, the path, the export's result
    const std::tuple<const char*, fs::path, std::optional<ExportCounts>> cases[] = {
        {"a device that takes everything", dir.path() / "null", ExportCounts{}},
        {"a device that is always full", dir.path() / "full", std::nullopt},
        {"a FIFO with no reader", pipe, std::nullopt},
    };
    for (const auto& [what, path, lines] : cases) {
        SCOPED_TRACE(what);
        const fs::file_type type = fs::status(path).type();
        EXPECT_EQ(ExportMessagesOrFail(store, path), lines);
        EXPECT_EQ(fs::status(path).type(), type);
    }

    // With a reader the export goes through the FIFO.
    const int reader = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(reader, 0);
    EXPECT_EQ(ExportMessagesOrFail(store, pipe), ExportCounts{});
    char bytes[4] = {};
    EXPECT_EQ(::read(reader, bytes, sizeof bytes), 2);
    EXPECT_EQ(std::string(bytes, 2), "\xFF\xFE");
    ::close(reader);

    // A reader that goes away fails the export and does not end the program
    // with SIGPIPE. The text outgrows the pipe's buffer, so the writer is
    // still writing when the reader leaves.
    {
        FolderHandle inbox = Open(kInboxName, kInboxByDate);
        Write(*inbox, ToProps(Whole(u"+1", std::u16string(100'000, u'x'), At(2026, 1, 1, 0, 0))));
    }
    const int leaver = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(leaver, 0);
    std::optional<ExportCounts> lines = ExportCounts{};
    std::thread exporter([&] { lines = ExportMessagesOrFail(store, pipe); });
    pollfd written{.fd = leaver, .events = POLLIN, .revents = 0};
    EXPECT_EQ(::poll(&written, 1, -1), 1);
    ::close(leaver);
    exporter.join();
    EXPECT_EQ(lines, std::nullopt);
    EXPECT_TRUE(fs::is_fifo(pipe));
    EXPECT_EQ(FilesBesideTheExport(), 4);  // the volume's folder, the FIFO and the two links
}

}  // namespace
}  // namespace mivex::store::tests
