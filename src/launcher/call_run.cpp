#include "launcher/call_run.h"

#include <cstring>

#include "foundation/long_path.h"
#include "launcher/cover_files.h"
#include "launcher/page_data.h"
#include "outputs/default_output.h"
#include "outputs/output_clash.h"
#include "launcher/script_literal.h"

namespace {

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

// An Ogg file takes the plain argument: the encoder reads it through libsndfile, and no LAME
// since 3.100 accepts --ogginput.
const char16_t* InputOption(InputKind kind) {
    return kind == InputKind::kMp3 ? u" --mp3input \"" : u" \"";
}

const char16_t* Id3Option(bool id3v2, bool id3v2Only) {
    if (id3v2Only) return u" --id3v2-only";
    return id3v2 ? u" --add-id3v2" : u"";
}

// Where a line's units go: the counting sink only measures, the writing sink fills a buffer.
// Both take the same walk, so a block measured first is then filled to exactly its size.
class CountingSink {
  public:
    void Put(char16_t) { ++count_; }
    void Put(const char16_t* text) { count_ += TextLength(text); }
    void Copy(const char16_t*, uint32_t length) { count_ += length; }
    void Repeat(char16_t, uint32_t times) { count_ += times; }
    uint64_t Count() const { return count_; }

  private:
    uint64_t count_ = 0;
};

class WritingSink {
  public:
    explicit WritingSink(char16_t* target) : out_(target) {}
    void Put(char16_t unit) { *out_++ = unit; }
    void Put(const char16_t* text) {
        while (*text) *out_++ = *text++;
    }
    void Copy(const char16_t* text, uint32_t length) {
        std::memcpy(out_, text, length * sizeof(char16_t));
        out_ += length;
    }
    void Repeat(char16_t unit, uint32_t times) {
        while (times-- > 0) *out_++ = unit;
    }
    char16_t* End() const { return out_; }

  private:
    char16_t* out_;
};

// The escapes of a text in the line, in one walk and without intermediate strings: the same
// text as these whole-text steps: backslash runs before a quote or at the end doubled (when
// asked), then (tag values)
// every double quote written \", then every backslash doubled and every apostrophe escaped
// with a backslash, then EscapeScriptBreakers. The first steps only widen backslashes,
// apostrophes and double quotes, none of which the script-breaker rule looks ahead for, so
// that rule reads the source where it would read their result. Its look-ahead may pass the
// end of a cut output name: the cut is at a dot, which none of its sequences holds.
//
// A quote inside a quoted argument is \", never "": lame.exe is linked against msvcrt.dll,
// whose start-up code on Windows reads "" as a quote that also ends the quoted part (the
// runtimes since 2008, and Wine's, keep it going), so "12"" Mix" would split there.
struct Escaping {
    bool doubleRunsBeforeQuotes;  // backslash runs before '"' or at the end count twice
    bool escapeQuotes;            // '"' becomes '\"' (tag values, not paths)
};
constexpr Escaping kTagEscaping{true, true};
constexpr Escaping kInputPathEscaping{true, false};
constexpr Escaping kOutputPathEscaping{false, false};

constexpr bool NeedsEscape(char16_t unit) {
    return unit == u'\\' || unit == u'\'' || unit == u'"' || MayStartScriptBreaker(unit);
}

// The same test as one bit per unit below 64, where nearly all the units of a path are.
constexpr uint64_t LowUnitsNeedingEscape() {
    uint64_t mask = 0;
    for (char16_t unit = 0; unit < 64; ++unit)
        if (NeedsEscape(unit)) mask |= uint64_t(1) << unit;
    return mask;
}
constexpr uint64_t kLowUnitsNeedingEscape = LowUnitsNeedingEscape();

bool StaysAsItIs(char16_t unit) {
    return unit < 64 ? ((kLowUnitsNeedingEscape >> unit) & 1) == 0 : !NeedsEscape(unit);
}

template <class Sink>
void PutEscaped(Sink& sink, const char16_t* text, uint32_t length, Escaping escaping) {
    for (uint32_t i = 0; i < length;) {
        // Most of a name or value stays as it is: copied as a span.
        uint32_t plainEnd = i;
        while (plainEnd < length && StaysAsItIs(text[plainEnd])) ++plainEnd;
        sink.Copy(text + i, plainEnd - i);
        i = plainEnd;
        if (i == length) break;

        const char16_t unit = text[i];
        if (unit == u'\\') {
            uint32_t run = 1;
            while (i + run < length && text[i + run] == u'\\') ++run;
            const bool beforeQuote = i + run == length || text[i + run] == u'"';
            const uint32_t copies = escaping.doubleRunsBeforeQuotes && beforeQuote ? 4 : 2;
            sink.Repeat(u'\\', copies * run);
            i += run;
            continue;
        }
        if (unit == u'\'') {
            sink.Put(u"\\'");
        } else if (unit == u'"') {
            // \" for the command line, its backslash doubled for the script literal.
            sink.Put(escaping.escapeQuotes ? u"\\\\\"" : u"\"");
        } else {
            ScriptBreakerScratch scratch;
            const ScriptBreakerStep step = ScriptBreakerEscape(text + i, scratch);
            if (step.escape)
                sink.Put(step.escape);
            else
                sink.Copy(text + i, step.units);
            i += step.units;
            continue;
        }
        ++i;
    }
}

bool IsLameMpegName(const char16_t* lastFour) {
    return IsExtension(lastFour, u".MP3") || IsExtension(lastFour, u".MP2") ||
           IsExtension(lastFour, u".MP1") || IsExtension(lastFour, u".MPG");
}

// The input's option: a file judged to hold MPEG audio, or not yet judged, goes by its
// extension as above. LAME chooses its MP3 decoder by a name ending in .mp1, .mp2, .mp3 or
// .mpg when no option names the input's kind, so WAVE, AIFF, FLAC or Ogg under such a name
// gets --no-mpeg-input (an option of the bundled lame.exe, which a LAME without it refuses
// instead of encoding noise).
const char16_t* InputOptionOf(EncoderInput input, const PathShape& shape, const char16_t* path,
                              uint32_t length) {
    switch (input) {
        case EncoderInput::kWave:
        case EncoderInput::kAiff:
        case EncoderInput::kFlac:
        case EncoderInput::kOgg: {
            return length >= 4 && IsLameMpegName(path + length - 4) ? u" --no-mpeg-input \""
                                                                    : u" \"";
        }
        default:
            return shape.hasExtension ? InputOption(shape.kind) : u" \"";
    }
}

// lame.exe is given a path of MAX_PATH units or more in the extended-length form, which
// Windows opens whatever its long-path setting and the program's manifest. Writes the form's
// prefix (escaped for the script) and returns where the path goes on after it.
template <class Sink>
uint32_t PutLongPathPrefix(Sink& sink, const char16_t* path, uint32_t length,
                           uint32_t suffixLength) {
    const ExtendedLengthPrefix prefix = ExtendedLengthPrefixOf(path, length, suffixLength);
    PutEscaped(sink, prefix.prefix, TextLength(prefix.prefix), kOutputPathEscaping);
    return prefix.from;
}

template <class Sink>
void PutCallRunLine(Sink& sink, const TrackRecord& record, bool id3v2, bool id3v2Only, bool decode,
                    const OutputPath& output, const WideString* cover = nullptr) {
    sink.Put(u"\tcallRun ('");
    sink.Put(Id3Option(id3v2, id3v2Only));
    for (const TagOption& tag : kTagOptions) {
        const WideString& value = record.fields[tag.field];
        if (value.IsEmpty()) continue;
        sink.Put(tag.option);
        PutEscaped(sink, value.Text(), value.Length(), kTagEscaping);
        sink.Put(u'"');
    }
    // The picture goes in as the front cover. A picture the encoder cannot read or take at
    // run time (gone, changed) leaves the MP3 without a cover instead of failing the
    // track: --ignore-tag-errors, given after the tags, covers only --ti.
    if (cover && !cover->IsEmpty() && !decode) {
        sink.Put(u" --ignore-tag-errors --ti \"");
        const uint32_t coverFrom = PutLongPathPrefix(sink, cover->Text(), cover->Length(), 0);
        PutEscaped(sink, cover->Text() + coverFrom, cover->Length() - coverFrom,
                   kInputPathEscaping);
        sink.Put(u'"');
    }

    const char16_t* path = record.fields[kPath].Text();
    const uint32_t length = record.fields[kPath].Length();
    const PathShape shape = ShapeOfPath(path, length);
    const bool hasInput = shape.hasExtension || length > 0;
    // The input keeps the backslashes of a path that ends in one (a drive root), or they
    // would escape its closing quote; the output name has a suffix after them.
    const auto putInput = [&] {
        const uint32_t inputFrom = PutLongPathPrefix(sink, path, length, 0);
        PutEscaped(sink, path + inputFrom, length - inputFrom, kInputPathEscaping);
    };
    const auto putOutput = [&] {
        const uint32_t outputFrom = PutLongPathPrefix(sink, output.Text(), output.Length(), 0);
        PutEscaped(sink, output.Text() + outputFrom, output.Length() - outputFrom,
                   kOutputPathEscaping);
    };
    if (hasInput) {
        sink.Put(InputOptionOf(record.input, shape, path, length));
        putInput();
        sink.Put(u'"');
    }
    sink.Put(u" \"");
    putOutput();
    // The page's data: the source's length (for its check of the output before it deletes the
    // source), the source and the output as the command names them, and what the source is
    // decoded from.
    const SecondsText seconds = SecondsOf(record.milliseconds);
    sink.Put(u"\"', ");
    sink.Copy(seconds.units + seconds.from, SecondsText::kSize - seconds.from);
    sink.Put(u", '");
    if (hasInput) putInput();
    sink.Put(u"', '");
    putOutput();
    sink.Put(u"', '");
    sink.Put(hasInput ? DecodedFrom(path, length, output.Text(), output.Length(), decode) : u"");
    sink.Put(u"');\r\n");
}

constexpr uint64_t kLongestText = 0xFFFFFFF0u;

}  // namespace

WideString BuildCallRunLine(const TrackRecord& record, bool id3v2, bool id3v2Only, bool decode) {
    const OutputPathParts parts = OutputPathPartsOf(record, decode);
    WideString besideSource;
    besideSource.AssignText(record.fields[kPath].Text(), parts.baseLength);
    besideSource.Append(parts.suffix);
    const OutputPath output(besideSource.Text(), besideSource.Length());
    CountingSink counter;
    PutCallRunLine(counter, record, id3v2, id3v2Only, decode, output);
    WideString line;
    if (counter.Count() >= kLongestText ||
        !line.PrepareBuffer(static_cast<uint32_t>(counter.Count())))
        return line;
    WritingSink writer(line.Buffer());
    PutCallRunLine(writer, record, id3v2, id3v2Only, decode, output);
    *writer.End() = 0;
    return line;
}

namespace {

// One walk over some of the tracks, measuring (count) or writing (from out on).
struct CallRunsPart {
    const PointerArray<TrackRecord>* tracks;
    bool id3v2, id3v2Only, decode;
    const TrackOutputs* outputs;
    const TrackCoverFiles* covers;
    uint32_t first, end;  // the tracks walked
    uint64_t count;
    char16_t* out;

    template <class Sink>
    void Walk(Sink& sink) const {
        for (uint32_t i = first; i < end; ++i) {
            const TrackRecord* record = tracks->GetAt(i);
            if (!record) continue;
            const WideString* cover = covers ? covers->Of(i) : nullptr;
            const OutputPath output = outputs->Output(i);
            if (!output.IsEmpty()) {
                PutCallRunLine(sink, *record, id3v2, id3v2Only, decode, output, cover);
                continue;
            }
            // A track without a path has an output of its suffix alone.
            const char16_t* suffix = OutputPathPartsOf(*record, decode).suffix;
            PutCallRunLine(sink, *record, id3v2, id3v2Only, decode,
                           OutputPath(suffix, TextLength(suffix)), cover);
        }
    }
};

void CountCallRuns(void* context) {
    auto& part = *static_cast<CallRunsPart*>(context);
    CountingSink counter;
    part.Walk(counter);
    part.count = counter.Count();
}

void WriteCallRuns(void* context) {
    auto& part = *static_cast<CallRunsPart*>(context);
    WritingSink writer(part.out);
    part.Walk(writer);
}

}  // namespace

WideString BuildCallRunsBlock(const PointerArray<TrackRecord>& tracks, bool id3v2, bool id3v2Only,
                              bool decode, const TrackOutputs* outputs,
                              const TrackCoverFiles* covers, SideBySide sideBySide) {
    const uint32_t count = tracks.Count();
    // Each line names its track's output as the save decided it, in the tracks' order.
    TrackOutputs besideSources;
    if (!outputs || outputs->Count() != count) {
        if (!besideSources.Fill(tracks, decode)) return WideString();
        outputs = &besideSources;
    }
    // Two walks over each half of the tracks, the first only measuring: one block of the
    // final size and no string per line; the halves side by side where the caller can.
    CallRunsPart halves[2];
    for (int h = 0; h < 2; ++h)
        halves[h] = {&tracks, id3v2,  id3v2Only,       decode,
                     outputs, covers, h * (count / 2), h ? count : count / 2,
                     0,       nullptr};
    RunBoth(sideBySide, CountCallRuns, &halves[0], &halves[1]);
    const uint64_t total = halves[0].count + halves[1].count;
    WideString block;
    if (total == 0 || total >= kLongestText || !block.PrepareBuffer(static_cast<uint32_t>(total)))
        return block;
    halves[0].out = block.Buffer();
    halves[1].out = block.Buffer() + halves[0].count;
    RunBoth(sideBySide, WriteCallRuns, &halves[0], &halves[1]);
    block.Buffer()[total] = 0;
    return block;
}
