// The callRun line of a track with any path, tag values and switches: the script engine reads
// its literal, either C runtime splits the encoder's command line, and what comes out is exactly
// the ID3 option, each tag value, the source path and the output file beside it. The delete
// step of the launcher picks out the source path too.
#include <string>
#include <vector>

#include "foundation/long_path.h"
#include "fuzz_support.h"
#include "launcher/call_run.h"
#include "launcher_decoder.h"

namespace {

constexpr const char* kTarget = "call_run";
constexpr const char16_t kLinePrefix[] = u"\tcallRun (";
constexpr const char16_t kLineSuffix[] = u");\r\n";
// What the launcher's script puts in front of each track command.
constexpr const char16_t kCommonPart[] =
    u"\"C:\\Program Files\\Lame\\lame.exe\" --priority 0 -b 128";
const std::vector<std::u16string> kCommonArguments = {u"C:\\Program Files\\Lame\\lame.exe",
                                                      u"--priority", u"0", u"-b", u"128"};

struct Tag {
    TrackField field;
    const char16_t* option;
};
// The encoder's order of the tag options.
constexpr Tag kTags[] = {
    {kTitle, u"--tt"},       {kArtist, u"--ta"}, {kAlbum, u"--tl"},   {kYear, u"--ty"},
    {kTrackNumber, u"--tn"}, {kGenre, u"--tg"},  {kComment, u"--tc"},
};

bool EqualsNoCaseAscii(const std::u16string& a, const char16_t* b) {
    for (size_t i = 0; i < a.size(); ++i) {
        char16_t x = a[i], y = b[i];
        if (y == 0) return false;
        if (x >= u'a' && x <= u'z') x = static_cast<char16_t>(x - 32);
        if (y >= u'a' && y <= u'z') y = static_cast<char16_t>(y - 32);
        if (x != y) return false;
    }
    return b[a.size()] == 0;
}

// A path as the program's own file calls take it: long ones in the extended-length form.
std::u16string ForFileCalls(const std::u16string& path) {
    WideString holder;
    return PathForFileCalls(path.c_str(), holder);
}

// The input and output arguments: the extension is judged on the path as the script literal
// holds it, so an escaped apostrophe after the last dot counts as a folder separator.
void AppendFileNames(const std::u16string& path, bool decode,
                     std::vector<std::u16string>& arguments) {
    const std::u16string escaped = ReplaceEvery(ReplaceEvery(path, u"\\", u"\\\\"), u"'", u"\\'");
    const size_t dot = escaped.rfind(u'.');
    const size_t backslash = escaped.rfind(u'\\');
    const bool hasExtension = dot != std::u16string::npos &&
                              (backslash == std::u16string::npos || dot > backslash) &&
                              escaped.size() > 4;
    if (!hasExtension) {
        if (!path.empty()) arguments.push_back(path);
        arguments.push_back(path + u".mp3");
        return;
    }
    const std::u16string lastFour = escaped.substr(escaped.size() - 4);
    const bool mp3 = EqualsNoCaseAscii(lastFour, u".MP3");
    const bool ogg = EqualsNoCaseAscii(lastFour, u".OGG");
    const bool mpegAudio =
        EqualsNoCaseAscii(lastFour, u".MP2") || EqualsNoCaseAscii(lastFour, u".MPA");
    if (mp3) arguments.push_back(u"--mp3input");
    arguments.push_back(path);
    const char16_t* suffix = u".mp3";
    if ((mp3 || ogg || mpegAudio) && decode)
        suffix = u".wav";
    else if (mp3)
        suffix = u".mp3.mp3";
    arguments.push_back(path.substr(0, path.rfind(u'.')) + suffix);
}

// Those arguments as the encoder receives them: each name as the program's own file calls take
// it.
void AppendFileArguments(const std::u16string& path, bool decode,
                         std::vector<std::u16string>& arguments) {
    const size_t first = arguments.size();
    AppendFileNames(path, decode, arguments);
    for (size_t i = first; i < arguments.size(); ++i) arguments[i] = ForFileCalls(arguments[i]);
}

// The source the launcher deletes: /"([^"]+)" "[^"]+"$/.exec(arg)[1]. Paths hold no double
// quote, so the two quoted texts at the end are the source and the output. Empty when the
// pattern finds nothing.
std::u16string DeletedSource(const std::u16string& command) {
    if (command.size() < 2 || command.back() != u'"') return {};
    const size_t outputOpen = command.rfind(u'"', command.size() - 2);
    if (outputOpen == std::u16string::npos || outputOpen + 2 == command.size() || outputOpen < 3 ||
        command[outputOpen - 1] != u' ' || command[outputOpen - 2] != u'"')
        return {};
    const size_t sourceOpen = command.rfind(u'"', outputOpen - 3);
    if (sourceOpen == std::u16string::npos || sourceOpen + 1 == outputOpen - 2) return {};
    return command.substr(sourceOpen + 1, outputOpen - 3 - sourceOpen);
}

std::string Describe(const std::vector<std::u16string>& arguments) {
    std::string text;
    for (const std::u16string& argument : arguments) text += "[" + Printable(argument) + "] ";
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    // A switch byte, then the path and the seven tag values, each ended by a NUL byte.
    const bool id3v2 = data[0] & 1, id3v2Only = data[0] & 2, decode = data[0] & 4;
    const std::vector<std::string> fields = SplitFields(data + 1, size - 1, 8);
    std::u16string values[kFieldCount];
    static const TrackField kOrder[] = {kPath, kTitle,       kArtist, kAlbum,
                                        kYear, kTrackNumber, kGenre,  kComment};
    for (int i = 0; i < 8; ++i)
        values[kOrder[i]] = UpToNul(
            DecodeLenient(reinterpret_cast<const uint8_t*>(fields[i].data()), fields[i].size()));
    // A Windows file name never holds a double quote.
    std::erase(values[kPath], u'"');

    TrackRecord record;
    for (int i = 0; i < kFieldCount; ++i) record.fields[i].AssignText(values[i].c_str());
    const std::u16string line = Str(BuildCallRunLine(record, id3v2, id3v2Only, decode));
    for (int i = 0; i < kFieldCount; ++i)
        FUZZ_CHECK(kTarget, Str(record.fields[i]) == values[i], "the record changed");
    // The block of several tracks is their lines in order.
    PointerArray<TrackRecord> tracks;
    tracks.Add(new TrackRecord(record));
    tracks.Add(new TrackRecord(record));
    FUZZ_CHECK(kTarget, Str(BuildCallRunsBlock(tracks, id3v2, id3v2Only, decode)) == line + line,
               "the block is not the lines");

    auto where = [&] {
        return "path '" + Printable(values[kPath]) + "', line '" + Printable(line) + "'";
    };
    const std::u16string prefix = kLinePrefix, suffix = kLineSuffix;
    FUZZ_CHECK(kTarget, line.size() > prefix.size() + suffix.size(), where());
    FUZZ_CHECK(kTarget, line.compare(0, prefix.size(), prefix) == 0, where());
    FUZZ_CHECK(kTarget, line.compare(line.size() - suffix.size(), suffix.size(), suffix) == 0,
               where());
    // Nothing in the line may end the page's script element.
    FUZZ_CHECK(kTarget, line.find(u"</") == std::u16string::npos, where());
    // The launcher is UTF-8, which has no form for a surrogate without its partner.
    FUZZ_CHECK(kTarget, !HasLoneSurrogate(line), where() + ": a lone surrogate in the line");

    size_t pos = prefix.size();
    FUZZ_CHECK(kTarget, line[pos] == u'\'', where());
    const auto command = ReadScriptLiteral(line, pos);
    FUZZ_CHECK(kTarget, command.has_value(), where() + ": the literal does not read");
    // The page's data after the command: the source's length, the source and the output as the
    // command names them, and what the source is decoded from.
    const auto skip = [&](const char16_t* text) {
        const std::u16string expectedText = text;
        FUZZ_CHECK(kTarget, line.compare(pos, expectedText.size(), expectedText) == 0,
                   where() + ": no '" + Printable(expectedText) + "' after the literal");
        pos += expectedText.size();
    };
    skip(u", ");
    while (pos < line.size() && ((line[pos] >= u'0' && line[pos] <= u'9') || line[pos] == u'.'))
        ++pos;
    skip(u", ");
    const auto source = ReadScriptLiteral(line, pos);
    FUZZ_CHECK(kTarget, source.has_value(), where() + ": the source does not read");
    skip(u", ");
    const auto output = ReadScriptLiteral(line, pos);
    FUZZ_CHECK(kTarget, output.has_value(), where() + ": the output does not read");
    skip(u", ");
    const auto from = ReadScriptLiteral(line, pos);
    FUZZ_CHECK(kTarget, from.has_value(), where() + ": the label does not read");
    FUZZ_CHECK(kTarget, pos == line.size() - suffix.size(), where() + ": text after the data");

    std::vector<std::u16string> expected = kCommonArguments;
    if (id3v2Only)
        expected.push_back(u"--id3v2-only");
    else if (id3v2)
        expected.push_back(u"--add-id3v2");
    for (const Tag& tag : kTags) {
        if (values[tag.field].empty()) continue;
        expected.push_back(tag.option);
        expected.push_back(values[tag.field]);
    }
    AppendFileArguments(values[kPath], decode, expected);

    // lame.exe on Windows splits by the msvcrt rule, other runtimes by the later one: both
    // must give the same arguments.
    auto withCommand = [&] { return where() + ", track command '" + Printable(*command) + "'"; };
    for (const QuoteRule rule : {QuoteRule::kMsvcrt, QuoteRule::kSince2008}) {
        const std::vector<std::u16string> got = SplitCommandLine(kCommonPart + *command, rule);
        FUZZ_CHECK(kTarget, got == expected,
                   withCommand() + (rule == QuoteRule::kMsvcrt ? " (msvcrt)" : " (since 2008)") +
                       "\n got:      " + Describe(got) + "\n expected: " + Describe(expected));
    }

    // After a successful run the launcher deletes exactly the source. Left out: a path ending
    // in a backslash (a folder, never a dropped file), whose last backslash is doubled.
    const std::u16string& path = values[kPath];
    if (!path.empty() && path.back() != u'\\') {
        FUZZ_CHECK(kTarget, *source == ForFileCalls(path),
                   withCommand() + ", deleted '" + Printable(*source) + "'");
        FUZZ_CHECK(kTarget, DeletedSource(*command) == *source,
                   withCommand() + ": the command names another source");
    }
    return 0;
}
