// Files that may be anything, in a scratch folder: what a write may never go through, and
// what a read must refuse without blocking or reading it whole.

#include "core/safefile.h"
#include "testsupport.h"
#include "world/zonefile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

class SafeFileTest : public ::testing::Test {
protected:
    std::string at(const std::string& name) const { return scratch.at(name); }
    static std::string bytesOf(const std::string& path) { return testsupport::readFile(path); }
    static void put(const std::string& path, const std::string& bytes) { testsupport::writeFile(path, bytes); }
    std::set<std::string> names() const
    {
        std::set<std::string> all;
        for (const auto& entry : fs::directory_iterator(dir))
            all.insert(entry.path().filename().string());
        return all;
    }
    bool write(const std::string& name, const std::string& bytes)
    {
        std::string why;
        const bool ok = safefile::write(at(name), bytes, why);
        EXPECT_TRUE(ok) << why;
        return ok;
    }

    testsupport::Scratch scratch;
    const std::string dir = scratch.dir;
};

TEST_F(SafeFileTest, StaleTemporariesAreNeverWrittenThroughAndAreRemoved)
{
    put(at("0.zn"), "zone 0");
    put(at("5.zn"), "old 5");
    // What killed saves left: links into another level, plain files, under old and new names.
    fs::create_symlink("0.zn", at("5.zn.tmp"));
    fs::create_symlink("0.zn", at("5.zn.tmp.Ab3x9Q"));
    put(at("5.zn.tmp.q1w2e3"), std::string(1000, 'k'));
    // Not ours, or not a leftover: kept.
    fs::create_directory(at("6.zn.tmp"));
    put(at("5.zn.tmp.toolong7"), "x");
    put(at("notes.tmp"), "x");

    ASSERT_TRUE(write("5.zn", "new 5"));
    EXPECT_EQ(bytesOf(at("0.zn")), "zone 0");
    EXPECT_EQ(bytesOf(at("5.zn")), "new 5");
    EXPECT_EQ(names(), (std::set<std::string>{"0.zn", "5.zn", "6.zn.tmp", "5.zn.tmp.toolong7", "notes.tmp"}));

    // At start-up: the leftovers of every level, not only of the one saved.
    put(at("7.zn.tmp"), "x");
    put(at("8.zn.tmp.ZZZZZZ"), "x");
    put(at("9.png.tmp.ZZZZZZ"), "x");
    safefile::removeLeftovers(dir, ".zn");
    EXPECT_EQ(names(),
              (std::set<std::string>{"0.zn", "5.zn", "6.zn.tmp", "5.zn.tmp.toolong7", "notes.tmp", "9.png.tmp.ZZZZZZ"}));
}

TEST_F(SafeFileTest, ALinkedLevelReplacesWhatItPointsToAndKeepsItsPermissions)
{
    fs::create_directory(at("real"));
    put(at("real/5.zn"), "old");
    ::chmod(at("real/5.zn").c_str(), 0640);
    fs::create_symlink("real/5.zn", at("5.zn"));

    ASSERT_TRUE(write("5.zn", "new"));
    EXPECT_TRUE(fs::is_symlink(at("5.zn")));
    EXPECT_EQ(bytesOf(at("real/5.zn")), "new");
    struct stat info;
    ASSERT_EQ(::stat(at("real/5.zn").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(names(), (std::set<std::string>{"5.zn", "real"}));

    // A new file gets what the process would give any file it creates.
    const mode_t mask = ::umask(022);
    ASSERT_TRUE(write("fresh.zn", "new"));
    ::umask(mask);
    ASSERT_EQ(::stat(at("fresh.zn").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0644u);

    // Nothing to replace and nowhere sensible to create it: refused, nothing made.
    fs::create_symlink("gone/5.zn", at("dangling.zn"));
    std::string why;
    EXPECT_FALSE(safefile::write(at("dangling.zn"), "new", why));
    EXPECT_EQ(why, "a link to a missing file");
    EXPECT_FALSE(fs::exists(at("gone")));
}

// What each way of writing may replace: only ANYTHING follows a link, only NOTHING refuses
// a file, and a refusal leaves every byte where it was.
TEST_F(SafeFileTest, EachWayOfWritingReplacesOnlyWhatItMay)
{
    using safefile::Over;
    enum Stands { EMPTY, FILE, LINK, DANGLING, FOLDER };
    const struct {
        Over over;
        Stands stands;
        const char* why; // empty when the write goes through
    } cases[] = {
        {Over::ANYTHING, EMPTY, ""}, {Over::ANYTHING, FILE, ""}, {Over::ANYTHING, LINK, ""},
        {Over::ANYTHING, DANGLING, "a link to a missing file"}, {Over::ANYTHING, FOLDER, "a directory, not a file"},
        {Over::NO_LINK, EMPTY, ""}, {Over::NO_LINK, FILE, ""}, {Over::NO_LINK, LINK, "a link, not a file"},
        {Over::NO_LINK, DANGLING, "a link, not a file"}, {Over::NO_LINK, FOLDER, "a directory, not a file"},
        {Over::NOTHING, EMPTY, ""}, {Over::NOTHING, FILE, "something is there already"},
        {Over::NOTHING, LINK, "something is there already"}, {Over::NOTHING, DANGLING, "something is there already"},
        {Over::NOTHING, FOLDER, "something is there already"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(static_cast<int>(c.over)) + " over " + std::to_string(c.stands));
        fs::remove_all(at("r"));
        fs::remove_all(at("level.zn"));
        put(at("level.zn"), "level");
        if (c.stands == FILE)
            put(at("r"), "old");
        if (c.stands == LINK || c.stands == DANGLING)
            fs::create_symlink(c.stands == LINK ? "level.zn" : "gone.zn", at("r"));
        if (c.stands == FOLDER)
            fs::create_directory(at("r"));
        std::string why;
        EXPECT_EQ(safefile::write(at("r"), "new", why, c.over), *c.why == '\0');
        EXPECT_EQ(why, c.why);
        const bool through = *c.why == '\0' && c.stands == LINK;
        EXPECT_EQ(bytesOf(at("level.zn")), through ? "new" : "level");
        EXPECT_EQ(fs::is_symlink(at("r")), c.stands == LINK || c.stands == DANGLING);
        if (c.stands != FOLDER) {
            EXPECT_EQ(bytesOf(at("r")), *c.why == '\0' ? "new" : c.stands == FILE ? "old" : c.stands == LINK ? "level" : "");
        }
        EXPECT_EQ(names().size(), 2u) << "a temporary file left behind";
    }
}

TEST_F(SafeFileTest, ReadsRefuseAnythingButARegularFileWithinTheLimitWithoutBlocking)
{
    for (const testsupport::HostileCase& c : testsupport::HOSTILE_CASES) {
        SCOPED_TRACE(c.reason);
        const std::string path = at("0.zn");
        testsupport::placeHostile(path, c.kind);
        testsupport::FifoRescue rescue(path, 5.0);
        const safefile::Found refused =
            c.kind == testsupport::Hostile::OVERSIZED ? safefile::Found::TOO_LARGE : safefile::Found::REFUSED;
        std::string bytes = "kept", why;
        EXPECT_EQ(safefile::read(path, bytes, why, zonefile::MAX_FILE_BYTES), refused);
        EXPECT_EQ(why, c.reason);
        EXPECT_EQ(bytes, "kept");
        EXPECT_EQ(safefile::check(path, why, zonefile::MAX_FILE_BYTES), refused);
        EXPECT_FALSE(rescue.rescued()) << "the read blocked";
    }
    std::string bytes, why;
    EXPECT_EQ(safefile::read(at("missing.zn"), bytes, why), safefile::Found::MISSING);
    EXPECT_EQ(why, "No such file or directory");
    put(at("edge.zn"), "12345");
    EXPECT_EQ(safefile::read(at("edge.zn"), bytes, why, 5), safefile::Found::FILE);
    EXPECT_EQ(bytes, "12345");
    EXPECT_EQ(safefile::read(at("edge.zn"), bytes, why, 4), safefile::Found::TOO_LARGE);
}

} // namespace
