#include "play/replayfile.h"

#include "core/digest.h"
#include "core/safefile.h"

#include <climits>
#include <cmath>
#include <cstring>

namespace replayfile {
namespace {

// Record tags. A byte with the top bit set ends frames instead: its low bits and one more
// is how many (a run of frames in which nothing changed).
enum Tag : unsigned char {
    PRESS = 1,
    RELEASE = 2,
    MOUSE = 3,
    AXIS = 4,
    KEY = 5,
    ZONE = 6,
    CHECK = 7,
    END = 8,
    AXIS_STEP = 9,
};
const unsigned char FRAMES_MARK = 0x80;
const int LONGEST_RUN = 128;
const std::size_t BLOCK_HEAD = 4 + 8;

const int PADS_FROM = 256;
const int PAD_SPAN = 64;
const int PAD_AXES_FROM = 1 + PAD_BUTTON_COUNT;

// A stick's axis in one byte: pad x 8 + axis.
int axisSlot(int item)
{
    return (item - PADS_FROM) / PAD_SPAN * AXIS_COUNT + (item - PADS_FROM) % PAD_SPAN - PAD_AXES_FROM;
}

// Pads report their axes as whole steps of 100 / 32767: those go as the change in steps,
// a byte or two where the value takes four.
float stepValue(long long step) { return static_cast<float>(step) * 100.f / 32767.f; }

bool toStep(float value, long long& step)
{
    if (!(std::fabs(value) <= 100.01f))
        return false;
    step = std::llround(static_cast<double>(value) * 32767.0 / 100.0);
    std::uint32_t want = 0;
    std::uint32_t got = 0;
    const float back = stepValue(step);
    std::memcpy(&want, &value, sizeof want);
    std::memcpy(&got, &back, sizeof got);
    return step >= -32768 && step <= 32767 && want == got;
}

enum Modifier : unsigned char { ALT = 1, CONTROL = 2, SHIFT = 4, SYSTEM = 8 };

const char* const WHY_EMPTY = "an empty file";
const char* const WHY_NOT_REPLAY = "not a replay file";
const char* const WHY_HEADER_CUT = "cut short in its header";
const char* const WHY_BLOCK_CUT = "cut short";
const char* const WHY_BLOCK_DAMAGED = "damaged (a block does not match its hash)";
const char* const WHY_RECORD_DAMAGED = "damaged (a record makes no sense)";
const char* const WHY_AFTER_END = "damaged (records after its end)";
const char* const WHY_NO_FRAMES = "no frames in it";

void putFixed(std::string& out, std::uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

void putVarint(std::string& out, unsigned long long value)
{
    while (value >= 0x80) {
        out += static_cast<char>((value & 0x7F) | 0x80);
        value >>= 7;
    }
    out += static_cast<char>(value);
}

void putSigned(std::string& out, long long value)
{
    const unsigned long long bits = static_cast<unsigned long long>(value);
    putVarint(out, value < 0 ? ~(bits << 1) : bits << 1);
}

std::uint64_t getFixed(const std::string& in, std::size_t at, int bytes)
{
    std::uint64_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value |= static_cast<std::uint64_t>(static_cast<unsigned char>(in[at + i])) << (8 * i);
    return value;
}

} // namespace

int keyItem(int key) { return key; }
int buttonItem(int button) { return KEY_COUNT + button; }
int padItem(int pad) { return PADS_FROM + pad * PAD_SPAN; }
int padButtonItem(int pad, int button) { return padItem(pad) + 1 + button; }
int axisItem(int pad, int axis) { return padItem(pad) + PAD_AXES_FROM + axis; }

bool isSwitch(int item)
{
    if (item < 0 || item >= ITEM_COUNT)
        return false;
    if (item < KEY_COUNT + BUTTON_COUNT)
        return true;
    if (item < PADS_FROM)
        return false;
    return (item - PADS_FROM) % PAD_SPAN < PAD_AXES_FROM;
}

bool isAxis(int item)
{
    if (item < PADS_FROM || item >= ITEM_COUNT)
        return false;
    const int within = (item - PADS_FROM) % PAD_SPAN;
    return within >= PAD_AXES_FROM && within < PAD_AXES_FROM + AXIS_COUNT;
}

// ---- writing

Encoder::Encoder(const Header& header) : image(headerText(header)) {}

void Encoder::flushRun()
{
    while (run > 0) {
        const int now = run < LONGEST_RUN ? run : LONGEST_RUN;
        open += static_cast<char>(FRAMES_MARK | (now - 1));
        run -= now;
    }
}

void Encoder::record(unsigned char tag)
{
    flushRun();
    open += static_cast<char>(tag);
}

void Encoder::change(int item, bool down)
{
    record(down ? PRESS : RELEASE);
    putVarint(open, static_cast<unsigned long long>(item));
}

void Encoder::axis(int item, float value)
{
    const int slot = axisSlot(item);
    long long step = 0;
    if (toStep(value, step)) {
        record(AXIS_STEP);
        open += static_cast<char>(slot);
        putSigned(open, step - lastSteps[static_cast<std::size_t>(slot)]);
        lastSteps[static_cast<std::size_t>(slot)] = step;
        return;
    }
    record(AXIS);
    open += static_cast<char>(slot);
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    putFixed(open, bits, 4);
}

void Encoder::mouse(int x, int y)
{
    record(MOUSE);
    putSigned(open, static_cast<long long>(x) - lastX);
    putSigned(open, static_cast<long long>(y) - lastY);
    lastX = x;
    lastY = y;
}

void Encoder::keyEvent(const KeyEvent& event)
{
    record(KEY);
    putSigned(open, event.code);
    open += static_cast<char>((event.alt ? ALT : 0) | (event.control ? CONTROL : 0) | (event.shift ? SHIFT : 0)
                              | (event.system ? SYSTEM : 0));
}

void Encoder::zoneRead(const ZoneRead& read)
{
    record(ZONE);
    putSigned(open, read.id);
    open += static_cast<char>(read.found ? 1 : 0);
    putFixed(open, read.hash, 8);
}

void Encoder::check(std::uint64_t hash)
{
    record(CHECK);
    putFixed(open, hash, 8);
}

void Encoder::endFrame()
{
    ++run;
    ++frameCount;
}

void Encoder::end(std::uint64_t hash)
{
    record(END);
    putFixed(open, hash, 8);
    ended = true;
}

const std::string& Encoder::seal()
{
    flushRun();
    if (!open.empty()) {
        putFixed(image, open.size(), 4);
        putFixed(image, Digest::of(open), 8);
        image += open;
        open.clear();
    }
    return image;
}

std::size_t Encoder::size() const
{
    const std::size_t pending = open.size() + static_cast<std::size_t>((run + LONGEST_RUN - 1) / LONGEST_RUN);
    return image.size() + (pending > 0 ? BLOCK_HEAD + pending : 0);
}

// ---- reading

Reader::Reader(const std::string& body) : bytes(body) {}

bool Reader::fail(const std::string& reason)
{
    if (why.empty())
        why = reason;
    return false;
}

bool Reader::countFrame()
{
    if (frameCount >= MAX_FRAMES)
        return fail("more than an hour of play (" + std::to_string(MAX_FRAMES) + " frames)");
    ++frameCount;
    return true;
}

bool Reader::varint(unsigned long long& value)
{
    value = 0;
    for (int shift = 0; shift < 64; shift += 7) {
        if (at >= bytes.size())
            return fail(WHY_RECORD_DAMAGED);
        const unsigned char byte = static_cast<unsigned char>(bytes[at++]);
        value |= static_cast<unsigned long long>(byte & 0x7F) << shift;
        if ((byte & 0x80) == 0)
            return true;
    }
    return fail(WHY_RECORD_DAMAGED);
}

bool Reader::signedVarint(long long& value)
{
    unsigned long long bits = 0;
    if (!varint(bits))
        return false;
    value = static_cast<long long>((bits >> 1) ^ (~(bits & 1) + 1));
    return true;
}

bool Reader::fixed(std::uint64_t& value, int count)
{
    if (bytes.size() - at < static_cast<std::size_t>(count))
        return fail(WHY_RECORD_DAMAGED);
    value = getFixed(bytes, at, count);
    at += static_cast<std::size_t>(count);
    return true;
}

bool Reader::readRecord(unsigned char tag, Frame& frame)
{
    unsigned long long item = 0;
    long long a = 0;
    long long b = 0;
    std::uint64_t value = 0;
    switch (tag) {
    case PRESS:
    case RELEASE:
        if (!varint(item) || item >= static_cast<unsigned long long>(ITEM_COUNT) || !isSwitch(static_cast<int>(item)))
            return fail(WHY_RECORD_DAMAGED);
        frame.switches.emplace_back(static_cast<int>(item), tag == PRESS);
        return true;
    case MOUSE:
        if (!signedVarint(a) || !signedVarint(b))
            return false;
        a += mouseX;
        b += mouseY;
        if (a < INT_MIN || a > INT_MAX || b < INT_MIN || b > INT_MAX)
            return fail(WHY_RECORD_DAMAGED);
        mouseX = static_cast<int>(a);
        mouseY = static_cast<int>(b);
        frame.mouseMoved = true;
        frame.mouseX = mouseX;
        frame.mouseY = mouseY;
        return true;
    case AXIS:
    case AXIS_STEP: {
        std::uint64_t slot = 0;
        if (!fixed(slot, 1) || slot >= static_cast<std::uint64_t>(PAD_COUNT * AXIS_COUNT))
            return fail(WHY_RECORD_DAMAGED);
        const int slotItem = axisItem(static_cast<int>(slot) / AXIS_COUNT, static_cast<int>(slot) % AXIS_COUNT);
        float axisValue = 0.f;
        if (tag == AXIS) {
            if (!fixed(value, 4))
                return false;
            const std::uint32_t bits = static_cast<std::uint32_t>(value);
            std::memcpy(&axisValue, &bits, sizeof axisValue);
        } else {
            long long& last = lastSteps[static_cast<std::size_t>(slot)];
            if (!signedVarint(a) || a < -65535 || a > 65535 || last + a < -32768 || last + a > 32767)
                return fail(WHY_RECORD_DAMAGED);
            last += a;
            axisValue = stepValue(last);
        }
        frame.axes.emplace_back(slotItem, axisValue);
        return true;
    }
    case KEY: {
        if (!signedVarint(a) || a < -1 || a >= KEY_COUNT || !fixed(value, 1) || value > (ALT | CONTROL | SHIFT | SYSTEM))
            return fail(WHY_RECORD_DAMAGED);
        KeyEvent event;
        event.code = static_cast<int>(a);
        event.alt = (value & ALT) != 0;
        event.control = (value & CONTROL) != 0;
        event.shift = (value & SHIFT) != 0;
        event.system = (value & SYSTEM) != 0;
        frame.events.push_back(event);
        return true;
    }
    case ZONE: {
        std::uint64_t found = 0;
        if (!signedVarint(a) || a < INT_MIN || a > INT_MAX || !fixed(found, 1) || found > 1 || !fixed(value, 8))
            return fail(WHY_RECORD_DAMAGED);
        frame.zones.push_back(ZoneRead{static_cast<int>(a), found == 1, value});
        return true;
    }
    case CHECK:
        if (!fixed(value, 8))
            return false;
        frame.checked = true;
        frame.check = value;
        return true;
    case END:
        if (!fixed(value, 8))
            return false;
        ended = true;
        finalChecked = true;
        finalHash = value;
        return true;
    default:
        return fail(WHY_RECORD_DAMAGED);
    }
}

bool Reader::next(Frame& frame)
{
    frame = Frame();
    if (!why.empty())
        return false;
    if (pendingEmpty > 0) {
        --pendingEmpty;
        return countFrame();
    }
    while (at < bytes.size()) {
        const unsigned char tag = static_cast<unsigned char>(bytes[at++]);
        if (ended)
            return fail(WHY_AFTER_END);
        if ((tag & FRAMES_MARK) != 0) {
            pendingEmpty = tag & ~FRAMES_MARK;
            return countFrame();
        }
        if (!readRecord(tag, frame))
            return false;
    }
    // What follows the last frame is the world after it; the rest is of a frame never played.
    if (!ended && frame.checked) {
        finalChecked = true;
        finalHash = frame.check;
    }
    return false;
}

bool decode(const std::string& bytes, Replay& replay, std::string& why)
{
    if (bytes.empty()) {
        why = WHY_EMPTY;
        return false;
    }
    const std::size_t headerEnd = bytes.find("\n\n");
    const std::string magicLine = std::string(MAGIC) + "\n";
    if (bytes.compare(0, magicLine.size(), magicLine) != 0) {
        why = magicLine.compare(0, bytes.size(), bytes) == 0 ? WHY_HEADER_CUT : WHY_NOT_REPLAY;
        return false;
    }
    if (headerEnd == std::string::npos || headerEnd + 2 > MAX_HEADER_BYTES) {
        why = bytes.size() < MAX_HEADER_BYTES && headerEnd == std::string::npos
                  ? std::string(WHY_HEADER_CUT)
                  : "a header longer than " + std::to_string(MAX_HEADER_BYTES) + " bytes";
        return false;
    }
    Replay decoded;
    if (!parseHeader(bytes.substr(0, headerEnd + 1), decoded.header, why))
        return false;

    std::size_t at = headerEnd + 2;
    while (at < bytes.size()) {
        if (bytes.size() - at < BLOCK_HEAD) {
            why = WHY_BLOCK_CUT;
            return false;
        }
        const std::size_t length = static_cast<std::size_t>(getFixed(bytes, at, 4));
        const std::uint64_t hash = getFixed(bytes, at + 4, 8);
        at += BLOCK_HEAD;
        if (length > bytes.size() - at) {
            why = WHY_BLOCK_CUT;
            return false;
        }
        const std::string block = bytes.substr(at, length);
        if (length == 0 || Digest::of(block) != hash) {
            why = WHY_BLOCK_DAMAGED;
            return false;
        }
        decoded.body += block;
        at += length;
    }

    Reader reader(decoded.body);
    Frame frame;
    while (reader.next(frame)) {
        decoded.checks += frame.checked ? 1 : 0;
        decoded.zones.insert(decoded.zones.end(), frame.zones.begin(), frame.zones.end());
    }
    if (!reader.ok()) {
        why = reader.problem();
        return false;
    }
    decoded.frames = reader.framesRead();
    if (decoded.frames == 0) {
        why = WHY_NO_FRAMES;
        return false;
    }
    decoded.checks += reader.hasFinalCheck() ? 1 : 0;
    decoded.ended = reader.sawEnd();
    replay = std::move(decoded);
    return true;
}

bool read(const std::string& path, Replay& replay, std::string& why)
{
    std::string bytes;
    return safefile::read(path, bytes, why, MAX_FILE_BYTES) == safefile::Found::FILE && decode(bytes, replay, why);
}

} // namespace replayfile
