#include "outputs/default_output.h"

// This runs for every track several times on every save, so ASCII units are folded here (the
// extensions' letters have the same capitals in every locale); any other unit goes through
// the system's case mapping.
bool IsExtension(const char16_t* lastFour, const char16_t* extension) {
    for (int i = 0; i < 4; ++i) {
        const char16_t unit = lastFour[i];
        if (unit >= 0x80) return CompareNoCase(lastFour, extension) == 0;
        if ((unit >= u'a' && unit <= u'z' ? char16_t(unit - 0x20) : unit) != extension[i])
            return false;
    }
    return true;
}

namespace {

InputKind KindOfExtension(const char16_t* lastFour) {
    if (IsExtension(lastFour, u".MP3")) return InputKind::kMp3;
    if (IsExtension(lastFour, u".OGG")) return InputKind::kOgg;
    if (IsExtension(lastFour, u".MP2") || IsExtension(lastFour, u".MPA"))
        return InputKind::kMpegAudio;
    return InputKind::kOther;
}

const char16_t* OutputSuffix(InputKind kind, bool decode, OutputPlace place) {
    if (kind == InputKind::kOther) return u".mp3";
    if (decode) return u".wav";
    // An MP3 source keeps its name inside the output's beside it, so it is never overwritten.
    return kind == InputKind::kMp3 && place == OutputPlace::kBesideSource ? u".mp3.mp3" : u".mp3";
}

bool IsEscapedWithBackslash(char16_t unit) {
    return unit == u'\\' || unit == u'\'';
}

}  // namespace

PathShape ShapeOfPath(const char16_t* path, uint32_t length) {
    PathShape shape;
    uint32_t at = length;
    while (at > 0 && path[at - 1] != u'.' && !IsEscapedWithBackslash(path[at - 1])) --at;
    if (at == 0 || path[at - 1] != u'.') return shape;
    // The escaped text must be longer than four units.
    uint32_t escapedLength = length;
    for (uint32_t i = 0; i < length && escapedLength <= 4; ++i)
        if (IsEscapedWithBackslash(path[i])) ++escapedLength;
    if (escapedLength <= 4) return shape;
    shape.hasExtension = true;
    shape.dot = at - 1;
    // The escaped text's last four units, gathered backwards from the path's end.
    char16_t tail[5] = {};
    int filled = 0;
    for (uint32_t k = length; k-- > 0 && filled < 4;) {
        tail[3 - filled++] = path[k];
        if (IsEscapedWithBackslash(path[k]) && filled < 4) tail[3 - filled++] = u'\\';
    }
    shape.kind = KindOfExtension(tail);
    return shape;
}

OutputPathParts OutputNameOf(const PathShape& shape, uint32_t length, bool decode,
                             OutputPlace place) {
    if (!shape.hasExtension) return {length, u".mp3"};
    return {shape.dot, OutputSuffix(shape.kind, decode, place)};
}

OutputPathParts OutputPathPartsOf(const TrackRecord& record, bool decode, OutputPlace place) {
    const char16_t* path = record.fields[kPath].Text();
    const uint32_t length = record.fields[kPath].Length();
    return OutputNameOf(ShapeOfPath(path, length), length, decode, place);
}
