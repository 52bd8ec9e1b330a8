// Writes on their own thread: the newest bytes of each file reach the disk, each write says
// how it went, and a write that may replace nothing leaves what is there alone.

#include "core/backgroundwriter.h"
#include "testsupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

using testsupport::readFile;

TEST(BackgroundWriterTest, TheNewestBytesAreWrittenAndEachWriteSaysHowItWent)
{
    const std::string dir = testsupport::makeTempDir() + "/";
    std::ofstream(dir + "kept.mvr") << "theirs";
    {
        BackgroundWriter writer;
        for (int i = 1; i <= 20; ++i)
            writer.offer(dir + "game.mvr", std::string(static_cast<std::size_t>(i) * 1000, static_cast<char>('a' + i)));
        writer.offer(dir + "kept.mvr", "ours", safefile::Over::NOTHING);
        writer.offer(dir + "fresh.mvr", "ours", safefile::Over::NOTHING);
        writer.offer(dir + "missing/game.mvr", "ours");
        writer.finish();
        int games = 0;
        for (const BackgroundWriter::Done& done : writer.takeDone()) {
            const bool gameFile = done.path == dir + "game.mvr";
            games += gameFile ? 1 : 0;
            const char* why = gameFile || done.path == dir + "fresh.mvr" ? ""
                              : done.path == dir + "kept.mvr"             ? "something is there already"
                                                                          : "No such file or directory";
            EXPECT_EQ(done.why, why) << done.path;
            EXPECT_EQ(done.ok, *why == '\0') << done.path;
        }
        // Offers of one file while it waits are written once, with the newer bytes.
        EXPECT_GE(games, 1);
        EXPECT_LE(games, 20);
        EXPECT_TRUE(writer.takeDone().empty());
        // Offered after a finish: the thread goes on, and the writer's end waits for it.
        writer.offer(dir + "last.mvr", "end");
    }
    EXPECT_EQ(readFile(dir + "game.mvr"), std::string(20000, static_cast<char>('a' + 20)));
    EXPECT_EQ(readFile(dir + "kept.mvr"), "theirs");
    EXPECT_EQ(readFile(dir + "fresh.mvr"), "ours");
    EXPECT_EQ(readFile(dir + "last.mvr"), "end");
    EXPECT_FALSE(fs::exists(dir + "missing"));
    fs::remove_all(dir);
}

} // namespace
