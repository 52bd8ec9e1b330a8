#include "world/event.h"

#include "core/binaryio.h"

#include <cstdint>

void Event::save(std::ostream& out) const
{
    writeInt32(out, type);
    writeInt32(out, static_cast<int32_t>(dialogLines.size()));
    for (const DialogLine& line : dialogLines) {
        writeString(out, line.text);
        writeInt32(out, line.portraitId);
        writeInt32(out, line.portraitPos);
    }
    writeInt32(out, entityId);
    writeInt32(out, destY);
    writeInt32(out, destX);
}

bool Event::load(std::istream& in)
{
    int32_t lineCount = 0;
    if (!readInt32(in, type) || !readInt32(in, lineCount) || lineCount < 0)
        return false;
    for (int32_t j = 0; j < lineCount; ++j) {
        DialogLine line;
        if (!readString(in, line.text, MAX_TEXT) || !readInt32(in, line.portraitId) || !readInt32(in, line.portraitPos))
            return false;
        dialogLines.push_back(std::move(line));
    }
    return readInt32(in, entityId) && readInt32(in, destY) && readInt32(in, destX);
}
