// The replay file's layout and limits: whatever the encoder is given comes back frame for
// frame, every prefix a recording leaves on disk plays, and every bad file is refused with
// its reason, each limit exactly met and one past.

#include "core/digest.h"
#include "play/replayfile.h"
#include "testsupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>

namespace {

using namespace replayfile;

// Random frames of every kind of record, runs of hundreds of empty frames among them.
std::vector<Frame> randomFrames(unsigned seed, int count)
{
    std::mt19937 gen(seed);
    auto chance = [&](int percent) { return static_cast<int>(gen() % 100) < percent; };
    // Whole steps of a pad's range (as pads report them) and values between or beyond them.
    const float oddAxes[] = {0.f,     -0.f,    100.f, -100.f, 1234.f * 100.f / 32767.f, -32768.f * 100.f / 32767.f,
                             0.0031f, 100.02f, std::nanf(""), -std::numeric_limits<float>::infinity()};
    const int oddPlaces[] = {INT_MIN, INT_MAX, -1, 0, 799, 100000};
    std::vector<Frame> frames(static_cast<std::size_t>(count));
    bool quiet = false;
    for (int i = 0; i < count; ++i) {
        Frame& f = frames[static_cast<std::size_t>(i)];
        f.checked = i > 0 && i % CHECK_FRAMES == 0;
        f.check = f.checked ? (static_cast<std::uint64_t>(gen()) << 32 | gen()) : 0;
        if (chance(2))
            quiet = !quiet;
        if (quiet)
            continue;
        for (int n = static_cast<int>(gen() % 3); n > 0; --n) {
            const int item = static_cast<int>(gen() % ITEM_COUNT);
            if (isSwitch(item))
                f.switches.emplace_back(item, chance(50));
            else if (isAxis(item))
                f.axes.emplace_back(item, oddAxes[gen() % 10]);
        }
        if (chance(40)) {
            f.mouseMoved = true;
            f.mouseX = chance(10) ? oddPlaces[gen() % 6] : static_cast<int>(gen() % 800);
            f.mouseY = chance(10) ? oddPlaces[gen() % 6] : static_cast<int>(gen() % 600);
        }
        if (chance(5))
            f.events.push_back(KeyEvent{static_cast<int>(gen() % KEY_COUNT) - (chance(10) ? 1 : 0), chance(50),
                                        chance(50), chance(50), chance(50)});
        if (chance(1))
            f.zones.push_back(ZoneRead{static_cast<int>(gen() % 7) - 3, chance(80), static_cast<std::uint64_t>(gen())});
    }
    return frames;
}

void write(Encoder& encoder, const Frame& f)
{
    if (f.checked)
        encoder.check(f.check);
    for (const auto& s : f.switches)
        encoder.change(s.first, s.second);
    for (const auto& a : f.axes)
        encoder.axis(a.first, a.second);
    if (f.mouseMoved)
        encoder.mouse(f.mouseX, f.mouseY);
    for (const KeyEvent& e : f.events)
        encoder.keyEvent(e);
    for (const ZoneRead& z : f.zones)
        encoder.zoneRead(z);
    encoder.endFrame();
}

Header oddHeader()
{
    Header header;
    header.game = "0.1.0";
    header.recorded = "2026-12-08 10:31:02";
    header.draws = 123456789;
    header.start.ending = 1;
    header.start.fadeOutTimer = -1;
    header.start.fadeInTimer = 42;
    header.start.fadeTarget = -7;
    header.start.switchLatch = 0;
    header.start.overlay = 0;
    header.start.padBackHeld = 1;
    header.start.assistHeld = 0;
    header.start.assist = 1;
    return header;
}

std::string smallFile()
{
    Encoder encoder(oddHeader());
    for (const Frame& f : randomFrames(3, 200))
        write(encoder, f);
    encoder.seal();
    encoder.end(77);
    return encoder.seal();
}

std::string block(const std::string& records)
{
    std::string out;
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((records.size() >> (8 * i)) & 0xFF);
    const std::uint64_t hash = Digest::of(records);
    for (int i = 0; i < 8; ++i)
        out += static_cast<char>((hash >> (8 * i)) & 0xFF);
    return out + records;
}

std::string headerOf(const std::string& pairs)
{
    return std::string(MAGIC) + "\nformat=1\n" + (pairs.empty() ? "" : pairs + "\n") + "\n";
}

std::string refusal(const std::string& bytes)
{
    Replay replay;
    std::string why;
    if (decode(bytes, replay, why))
        return "accepted";
    return why;
}

TEST(ReplayFile, EveryRecordComesBackFrameForFrameAndEverySealedPrefixPlays)
{
    const std::vector<Frame> frames = randomFrames(11, 2000);
    Encoder encoder(oddHeader());
    std::vector<std::pair<int, std::string>> sealed; // frames ended, the file then
    std::mt19937 gen(5);
    for (std::size_t i = 0; i < frames.size(); ++i) {
        write(encoder, frames[i]);
        if (gen() % 50 == 0)
            sealed.emplace_back(static_cast<int>(i + 1), encoder.seal());
    }
    encoder.end(0xFEEDFACECAFEBEEFull);
    const std::string whole = encoder.seal();
    EXPECT_EQ(encoder.size(), whole.size());

    Replay replay;
    std::string why;
    ASSERT_TRUE(decode(whole, replay, why)) << why;
    EXPECT_EQ(replay.frames, 2000);
    EXPECT_EQ(replay.checks, 2000 / CHECK_FRAMES + 1 - (2000 % CHECK_FRAMES == 0 ? 1 : 0));
    EXPECT_TRUE(replay.ended);
    // Read back and written again, sealed where it was: the same bytes, header and all.
    Reader reader(replay.body);
    Encoder again(replay.header);
    Frame got;
    std::size_t read = 0;
    for (const auto& prefix : sealed) {
        for (; read < static_cast<std::size_t>(prefix.first) && reader.next(got); ++read)
            write(again, got);
        again.seal();
    }
    for (; reader.next(got); ++read)
        write(again, got);
    EXPECT_EQ(read, frames.size());
    EXPECT_TRUE(reader.ok());
    ASSERT_TRUE(reader.hasFinalCheck());
    again.end(reader.finalCheck());
    EXPECT_TRUE(again.seal() == whole) << "a record read otherwise than it was written";
    EXPECT_EQ(reader.finalCheck(), 0xFEEDFACECAFEBEEFull);

    // What a recording leaves on disk at any second plays as far as it got; the checkpoint
    // opening a frame not yet ended stands for the world after the last one.
    ASSERT_GT(sealed.size(), 10u);
    for (const auto& prefix : sealed) {
        ASSERT_TRUE(decode(prefix.second, replay, why)) << why;
        EXPECT_EQ(replay.frames, prefix.first);
        EXPECT_FALSE(replay.ended);
    }
}

TEST(ReplayFile, BadFilesAreRefusedWithTheirReasonAndEachLimitHoldsExactly)
{
    const std::string good = smallFile();
    const std::string body = good.substr(good.find("\n\n") + 2);
    const std::string oneFrame = block(std::string(1, static_cast<char>(0x80)));
    const std::string magic = std::string(MAGIC) + "\n";
    // A header of exactly n bytes, blank line included.
    auto headerOfSize = [&](std::size_t n) {
        const std::string bare = headerOf("recorded=");
        return headerOf("recorded=" + std::string(n - bare.size(), 'x'));
    };
    struct Case {
        const char* what;
        std::string bytes;
        std::string reason;
    };
    const Case cases[] = {
        {"nothing", "", "an empty file"},
        {"a picture", "\x89PNG\r\n\x1a\n", "not a replay file"},
        {"half the first line", std::string(MAGIC).substr(0, 9), "cut short in its header"},
        {"no end to the header", magic + "format=1\noverlay=1\n", "cut short in its header"},
        {"a header of 4096 bytes", headerOfSize(MAX_HEADER_BYTES) + oneFrame, "accepted"},
        {"a header of 4097 bytes", headerOfSize(MAX_HEADER_BYTES + 1) + oneFrame, "a header longer than 4096 bytes"},
        {"a later format", magic + "format=2\n\n" + oneFrame, "format 2, newer than this game's 1"},
        {"format 0", magic + "format=0\n\n" + oneFrame, "format 0, which no game writes"},
        {"format in words", magic + "format=one\n\n" + oneFrame, "format one, which no game writes"},
        {"no format first", magic + "game=0.1.0\nformat=1\n\n" + oneFrame, "no format at the head of it"},
        {"no pairs at all", magic + "\n" + oneFrame, "no format at the head of it"},
        {"a setting from elsewhere", headerOf("speed=2") + oneFrame, "a setting this game does not know: speed=2"},
        {"assist on", headerOf("assist=1") + oneFrame, "accepted"},
        {"assist of 2", headerOf("assist=2") + oneFrame, "a header value out of range: assist=2"},
        {"a key twice", headerOf("overlay=1\noverlay=0") + oneFrame, "\"overlay\" twice in its header"},
        {"a line without a value", headerOf("bogus") + oneFrame, "a header line without a value: bogus"},
        {"a switch of 2", headerOf("overlay=2") + oneFrame, "a header value out of range: overlay=2"},
        {"a switch of -1", headerOf("debug=-1") + oneFrame, "a header value out of range: debug=-1"},
        {"the least timer", headerOf("fade-out=-2147483648") + oneFrame, "accepted"},
        {"below the least", headerOf("fade-out=-2147483649") + oneFrame,
         "a header value out of range: fade-out=-2147483649"},
        {"a timer with a tail", headerOf("fade-in=5x") + oneFrame, "a header value out of range: fade-in=5x"},
        {"draws at the most", headerOf("draws=1000000000") + oneFrame, "accepted"},
        {"draws past the most", headerOf("draws=1000000001") + oneFrame,
         "a header value out of range: draws=1000000001"},
        {"a header alone", headerOf(""), "no frames in it"},
        {"a byte changed", good.substr(0, good.size() - 3) + "\x5a" + good.substr(good.size() - 2),
         "damaged (a block does not match its hash)"},
        {"an empty block", headerOf("") + block(""), "damaged (a block does not match its hash)"},
        {"a record unknown", headerOf("") + block("\x55\x80"), "damaged (a record makes no sense)"},
        {"a key out of range", headerOf("") + block(std::string("\x05\x80\x02\x00\x80", 5)),
         "damaged (a record makes no sense)"},
        {"a record cut", headerOf("") + block("\x80\x07\x01\x02"), "damaged (a record makes no sense)"},
        {"records after the end", headerOf("") + block(std::string("\x80\x08", 2) + std::string(8, '\0') + "\x80"),
         "damaged (records after its end)"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(refusal(c.bytes), c.reason) << c.what;

    // Cut anywhere: between blocks it is a recording stopped there, inside one it is refused.
    const std::string head = good.substr(0, good.size() - body.size());
    std::size_t blockEnd = 0;
    std::set<std::size_t> boundaries{0};
    while (blockEnd < body.size()) {
        const std::size_t length = static_cast<unsigned char>(body[blockEnd]) | static_cast<unsigned char>(body[blockEnd + 1]) << 8
                                 | static_cast<unsigned char>(body[blockEnd + 2]) << 16;
        blockEnd += 12 + length;
        boundaries.insert(blockEnd);
    }
    for (std::size_t cut = 1; cut < body.size(); ++cut) {
        const std::string reason = refusal(head + body.substr(0, cut));
        EXPECT_EQ(reason, boundaries.count(cut) != 0 ? "accepted" : "cut short") << "cut at " << cut;
    }

    // An hour of frames exactly, and one more.
    for (int extra : {0, 1}) {
        Encoder encoder(Header{});
        for (int i = 0; i < MAX_FRAMES + extra; ++i)
            encoder.endFrame();
        EXPECT_EQ(refusal(encoder.seal()), extra == 0 ? "accepted" : "more than an hour of play (216000 frames)");
    }
}

TEST(ReplayFile, OnlyARegularFileWithinItsLimitIsRead)
{
    namespace fs = std::filesystem;
    const testsupport::Scratch scratch;
    const std::string path = scratch.at("game.mvr");
    Replay replay;
    std::string why;
    EXPECT_FALSE(read(path, replay, why));
    EXPECT_EQ(why, "No such file or directory");
    for (testsupport::Hostile kind : {testsupport::Hostile::FIFO, testsupport::Hostile::DIRECTORY,
                                      testsupport::Hostile::DEVICE, testsupport::Hostile::DANGLING_LINK}) {
        testsupport::placeHostile(path, kind);
        testsupport::FifoRescue rescue(path, 5.0);
        EXPECT_FALSE(read(path, replay, why));
        EXPECT_FALSE(rescue.rescued()) << "blocked on " << path;
        for (const testsupport::HostileCase& c : testsupport::HOSTILE_CASES) {
            if (c.kind == kind) {
                EXPECT_EQ(why, c.reason);
            }
        }
    }
    // The size limit on both sides: the largest file is opened (and found to be no replay).
    for (long long size : {MAX_FILE_BYTES, MAX_FILE_BYTES + 1}) {
        fs::remove_all(path);
        std::ofstream(path, std::ios::binary).put('x');
        fs::resize_file(path, static_cast<std::uintmax_t>(size));
        EXPECT_FALSE(read(path, replay, why));
        EXPECT_EQ(why, size == MAX_FILE_BYTES ? std::string("not a replay file")
                                              : "4194305 bytes, more than the 4194304 it may hold");
    }
    fs::remove_all(path);
    std::ofstream(path, std::ios::binary) << smallFile();
    EXPECT_TRUE(read(path, replay, why)) << why;
    EXPECT_EQ(replay.frames, 200);
}

} // namespace
