#include "launcher/call_run.h"

#include <cstring>
#include <new>

#include "launcher/script_literal.h"

namespace {

// The pieces of one line, joined once at the end into a block of the exact size.
class LinePieces {
  public:
    void Add(const char16_t* text) { Add(text, TextLength(text)); }
    void Add(const WideString& text) { Add(text.Text(), text.Length()); }
    WideString Join() const {
        uint32_t total = 0;
        for (int i = 0; i < count_; ++i) total += lengths_[i];
        WideString line;
        if (!line.PrepareBuffer(total)) return line;
        char16_t* target = line.Buffer();
        for (int i = 0; i < count_; ++i) {
            std::memcpy(target, texts_[i], lengths_[i] * sizeof(char16_t));
            target += lengths_[i];
        }
        *target = 0;
        return line;
    }

  private:
    void Add(const char16_t* text, uint32_t length) {
        texts_[count_] = text;
        lengths_[count_] = length;
        ++count_;
    }

    // Start, ID3 option, 7 tags of 3, input of 3, output of 4, end: 31.
    static constexpr int kMaxPieces = 32;
    const char16_t* texts_[kMaxPieces];
    uint32_t lengths_[kMaxPieces];
    int count_ = 0;
};

struct TagOption {
    TrackField field;
    const char16_t* option;
};

// The encoder's order of the tag options, not the record's.
constexpr TagOption kTagOptions[] = {
    {kTitle, u" --tt \""},   {kArtist, u" --ta \""},      {kAlbum, u" --tl \""},
    {kYear, u" --ty \""},    {kTrackNumber, u" --tn \""}, {kGenre, u" --tg \""},
    {kComment, u" --tc \""},
};
constexpr int kTagCount = sizeof(kTagOptions) / sizeof(kTagOptions[0]);

enum class InputKind { kMp3, kOgg, kMpegAudio, kOther };

InputKind KindOfExtension(const char16_t* lastFour) {
    if (CompareNoCase(lastFour, u".MP3") == 0) return InputKind::kMp3;
    if (CompareNoCase(lastFour, u".OGG") == 0) return InputKind::kOgg;
    if (CompareNoCase(lastFour, u".MP2") == 0 || CompareNoCase(lastFour, u".MPA") == 0)
        return InputKind::kMpegAudio;
    return InputKind::kOther;
}

const char16_t* InputOption(InputKind kind) {
    switch (kind) {
        case InputKind::kMp3:
            return u" --mp3input \"";
        case InputKind::kOgg:
            return u" --ogginput \"";
        default:
            return u" \"";
    }
}

const char16_t* OutputSuffix(InputKind kind, bool decode) {
    if (kind == InputKind::kOther) return u".mp3";
    if (decode) return u".wav";
    // An MP3 source keeps its name inside the output's, so it is never overwritten.
    return kind == InputKind::kMp3 ? u".mp3.mp3" : u".mp3";
}

const char16_t* Id3Option(bool id3v2, bool id3v2Only) {
    if (id3v2Only) return u" --id3v2-only";
    return id3v2 ? u" --add-id3v2" : u"";
}

}  // namespace

WideString EscapeTagValue(const WideString& value) {
    return DoubleBackslashesBeforeQuotes(value)
        .ReplaceAll(u"\\", u"\\\\")
        .ReplaceAll(u"'", u"\\'")
        .ReplaceAll(u"\"", u"\"\"");
}

WideString EscapePath(const WideString& path) {
    return path.ReplaceAll(u"\\", u"\\\\").ReplaceAll(u"'", u"\\'");
}

WideString BuildCallRunLine(const TrackRecord& record, bool id3v2, bool id3v2Only, bool decode) {
    LinePieces pieces;
    pieces.Add(u"\tcallRun ('");
    pieces.Add(Id3Option(id3v2, id3v2Only));

    WideString values[kTagCount];
    for (int i = 0; i < kTagCount; ++i) {
        const WideString& value = record.fields[kTagOptions[i].field];
        if (value.IsEmpty()) continue;
        values[i] = EscapeScriptBreakers(EscapeTagValue(value));
        pieces.Add(kTagOptions[i].option);
        pieces.Add(values[i]);
        pieces.Add(u"\"");
    }

    // The extension rules look at the escaped path, as the script will hold it.
    const WideString escaped = EscapePath(record.fields[kPath]);
    WideString base = escaped;
    // A path ending in a backslash (a drive root) would escape its closing quote.
    const WideString input =
        EscapeScriptBreakers(EscapePath(DoubleBackslashesBeforeQuotes(record.fields[kPath])));
    const int32_t dot = escaped.FindLastChar(u'.');
    const int32_t backslash = escaped.FindLastChar(u'\\');
    const uint32_t length = escaped.Length();
    const char16_t* suffix = u".mp3";
    if (dot >= 0 && dot > backslash && length > 4) {
        base.Truncate(static_cast<uint32_t>(dot));
        const InputKind kind = KindOfExtension(escaped.Text() + length - 4);
        pieces.Add(InputOption(kind));
        pieces.Add(input);
        pieces.Add(u"\"");
        suffix = OutputSuffix(kind, decode);
    } else if (length > 0) {
        pieces.Add(u" \"");
        pieces.Add(input);
        pieces.Add(u"\"");
    }
    const WideString output = EscapeScriptBreakers(base);
    pieces.Add(u" \"");
    pieces.Add(output);
    pieces.Add(suffix);
    pieces.Add(u"\"');\r\n");
    return pieces.Join();
}

WideString BuildCallRunsBlock(const PointerArray<TrackRecord>& tracks, bool id3v2, bool id3v2Only,
                              bool decode) {
    WideString block;
    const uint32_t count = tracks.Count();
    if (count == 0) return block;
    WideString* lines = new (std::nothrow) WideString[count];
    if (!lines) {
        // No room for the line table: the slow way still gives the same text.
        for (uint32_t i = 0; i < count; ++i)
            if (const TrackRecord* record = tracks.GetAt(i))
                block.Append(BuildCallRunLine(*record, id3v2, id3v2Only, decode));
        return block;
    }
    uint64_t total = 0;
    for (uint32_t i = 0; i < count; ++i) {
        if (const TrackRecord* record = tracks.GetAt(i)) {
            lines[i] = BuildCallRunLine(*record, id3v2, id3v2Only, decode);
            total += lines[i].Length();
        }
    }
    if (total > 0 && total < 0xFFFFFFF0u && block.PrepareBuffer(static_cast<uint32_t>(total))) {
        char16_t* target = block.Buffer();
        for (uint32_t i = 0; i < count; ++i) {
            std::memcpy(target, lines[i].Text(), lines[i].Length() * sizeof(char16_t));
            target += lines[i].Length();
        }
        *target = 0;
    }
    delete[] lines;
    return block;
}
