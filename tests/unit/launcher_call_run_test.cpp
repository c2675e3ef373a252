// The callRun line of one track: ID3 option, tag options, input and output file, each
// escaped for the script literal in apostrophes and for the encoder's command line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "launcher/call_run.h"
#include "outputs/default_output.h"
#include "outputs/output_clash.h"
#include "launcher_decoder.h"

namespace {

struct Tags {
    std::u16string title, artist, album, year, trackNumber, genre, comment;
};

TrackRecord MakeRecord(const std::u16string& path, const Tags& tags = {}) {
    TrackRecord record;
    record.fields[kPath].AssignText(path.c_str());
    record.fields[kTitle].AssignText(tags.title.c_str());
    record.fields[kArtist].AssignText(tags.artist.c_str());
    record.fields[kAlbum].AssignText(tags.album.c_str());
    record.fields[kYear].AssignText(tags.year.c_str());
    record.fields[kTrackNumber].AssignText(tags.trackNumber.c_str());
    record.fields[kGenre].AssignText(tags.genre.c_str());
    record.fields[kComment].AssignText(tags.comment.c_str());
    return record;
}

std::u16string Line(const TrackRecord& record, bool id3v2 = false, bool id3v2Only = false,
                    bool decode = false) {
    return BuildCallRunLine(record, id3v2, id3v2Only, decode).Text();
}

// The line around a track command as the script literal holds it, with the page's data after
// it: the length (unknown), the command's last two quoted names (source and output, as the
// command escapes them) and what the source is decoded from.
std::u16string Wrapped(const std::u16string& command, const std::u16string& from = u"",
                       const std::u16string& seconds = u"0") {
    const size_t outputStart = command.rfind(u'"', command.size() - 2) + 1;
    const std::u16string output = command.substr(outputStart, command.size() - 1 - outputStart);
    std::u16string source;
    if (outputStart >= 3 && command.compare(outputStart - 3, 2, u"\" ") == 0) {
        const size_t sourceStart = command.rfind(u'"', outputStart - 4) + 1;
        source = command.substr(sourceStart, outputStart - 3 - sourceStart);
    }
    return u"\tcallRun ('" + command + u"', " + seconds + u", '" + source + u"', '" + output +
           u"', '" + from + u"');\r\n";
}

// The arguments the encoder receives for a line, split by both C runtime rules, which must
// agree: lame.exe on Windows splits by the msvcrt one.
std::vector<std::u16string> ArgumentsOf(const std::u16string& line) {
    size_t at = line.find(u'\'');
    const auto command = ReadScriptLiteral(line, at);
    EXPECT_TRUE(command.has_value());
    if (!command) return {};
    const auto byMsvcrt = SplitCommandLine(u"lame.exe" + *command, QuoteRule::kMsvcrt);
    const auto bySince2008 = SplitCommandLine(u"lame.exe" + *command, QuoteRule::kSince2008);
    EXPECT_EQ(byMsvcrt, bySince2008) << Printable(*command);
    return byMsvcrt;
}

TEST(BuildCallRunLine, WritesTheWorkedExamplesByteForByte) {
    const TrackRecord rock = MakeRecord(u"D:\\Musik\\Rock'n'Roll\\01 Intro.mp3",
                                        {.title = u"Intro \"live\"", .artist = u"AC\\DC"});
    EXPECT_EQ(Line(rock, true, false, false),
              Wrapped(u" --add-id3v2 --tt \"Intro \\\\\"live\\\\\"\" --ta \"AC\\\\DC\" --mp3input "
                      u"\"D:\\\\Musik\\\\Rock\\'n\\'Roll\\\\01 Intro.mp3\" "
                      u"\"D:\\\\Musik\\\\Rock\\'n\\'Roll\\\\01 Intro.mp3.mp3\""));
    EXPECT_EQ(Line(rock, true, false, true),
              Wrapped(u" --add-id3v2 --tt \"Intro \\\\\"live\\\\\"\" --ta \"AC\\\\DC\" --mp3input "
                      u"\"D:\\\\Musik\\\\Rock\\'n\\'Roll\\\\01 Intro.mp3\" "
                      u"\"D:\\\\Musik\\\\Rock\\'n\\'Roll\\\\01 Intro.wav\""));
    EXPECT_EQ(Line(MakeRecord(u"D:\\Daten\\b.wav")),
              Wrapped(u" \"D:\\\\Daten\\\\b.wav\" \"D:\\\\Daten\\\\b.mp3\""));
}

TEST(BuildCallRunLine, ChoosesTheId3Option) {
    const TrackRecord record = MakeRecord(u"C:\\a.wav");
    const std::u16string files = u" \"C:\\\\a.wav\" \"C:\\\\a.mp3\"";
    EXPECT_EQ(Line(record, false, false), Wrapped(files));
    EXPECT_EQ(Line(record, true, false), Wrapped(u" --add-id3v2" + files));
    EXPECT_EQ(Line(record, false, true), Wrapped(u" --id3v2-only" + files));
    EXPECT_EQ(Line(record, true, true), Wrapped(u" --id3v2-only" + files));
}

TEST(BuildCallRunLine, WritesTheTagsInTheEncodersOrder) {
    const TrackRecord record = MakeRecord(u"C:\\a.wav", {.title = u"T",
                                                         .artist = u"K",
                                                         .album = u"A",
                                                         .year = u"1999",
                                                         .trackNumber = u"7",
                                                         .genre = u"Rock",
                                                         .comment = u"N"});
    EXPECT_EQ(Line(record), Wrapped(u" --tt \"T\" --ta \"K\" --tl \"A\" --ty \"1999\" --tn \"7\""
                                    u" --tg \"Rock\" --tc \"N\" \"C:\\\\a.wav\" \"C:\\\\a.mp3\""));
}

TEST(BuildCallRunLine, WritesTagValuesAsTheyStand) {
    struct TagCase {
        const char* name;
        std::u16string value, written;
    };
    const TagCase cases[] = {
        // A quote is written \" (doubled for the script), which every C runtime reads as a quote.
        {"quote, apostrophe, backslash", u"it's \"x\"\\y", u"it\\'s \\\\\"x\\\\\"\\\\y"},
        {"blanks only", u"   ", u"   "},
        {"not trimmed", u" a\t", u" a\t"},
        {"--decode in a tag", u"--decode", u"--decode"},
        {"non-ASCII and non-BMP", u"Gr\u00FC\u00DFe \U0001F3B5", u"Gr\u00FC\u00DFe \U0001F3B5"},
        // Backslash runs before a quote or at the end are doubled before the usual escaping.
        {"backslash at the end", u"AC\\", u"AC\\\\\\\\"},
        {"backslash inside stays single", u"AC\\DC", u"AC\\\\DC"},
        {"backslash before a quote", u"a\\\"b", u"a\\\\\\\\\\\\\"b"},
        {"two backslashes before a quote", u"a\\\\\"b", u"a\\\\\\\\\\\\\\\\\\\\\"b"},
        {"backslash before an apostrophe", u"a\\'b", u"a\\\\\\'b"},
        // Script breakers are escaped for the literal.
        {"end of the script element", u"</script>", u"<\\/script>"},
        {"comment opener", u"<!--<script>", u"<\\!--<script>"},
        {"lone angle brackets stay", u"a<b!-c<!-d", u"a<b!-c<!-d"},
        {"line breaks", u"a\r\nb\u2028c\u2029d", u"a\\r\\nb\\u2028c\\u2029d"},
        // UTF-8 cannot carry a surrogate without its partner: it is written as its escape.
        {"lone surrogates",
         u"\xD800"
         u"a\xDC00\xDBFF",
         u"\\uD800a\\uDC00\\uDBFF"},
        {"low before high", u"\xDC00\xD800", u"\\uDC00\\uD800"},
    };
    for (const TagCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::u16string line = Line(MakeRecord(u"C:\\a.wav", {.title = c.value}));
        EXPECT_EQ(line, Wrapped(u" --tt \"" + c.written + u"\" \"C:\\\\a.wav\" \"C:\\\\a.mp3\""));
        EXPECT_EQ(ArgumentsOf(line), (std::vector<std::u16string>{u"lame.exe", u"--tt", c.value,
                                                                  u"C:\\a.wav", u"C:\\a.mp3"}));
    }
}

struct FileCase {
    const char* name;
    std::u16string path;
    bool decode;
    std::u16string files;       // the track command after the tags
    std::u16string from = u"";  // what the report says the MP3 is decoded from
};

TEST(BuildCallRunLine, NamesInputAndOutputByTheKindOfTheSource) {
    const FileCase cases[] = {
        {"mp3", u"C:\\song.mp3", false, u" --mp3input \"C:\\\\song.mp3\" \"C:\\\\song.mp3.mp3\""},
        {"MP3", u"C:\\song.MP3", false, u" --mp3input \"C:\\\\song.MP3\" \"C:\\\\song.mp3.mp3\""},
        {"Mp3 decoded", u"C:\\song.Mp3", true,
         u" --mp3input \"C:\\\\song.Mp3\" \"C:\\\\song.wav\""},
        {"ogg", u"C:\\song.ogg", false, u" \"C:\\\\song.ogg\" \"C:\\\\song.mp3\"", u"Ogg"},
        {"OGA", u"C:\\song.OGA", false, u" \"C:\\\\song.OGA\" \"C:\\\\song.mp3\"", u"Ogg"},
        {"Opus", u"C:\\song.Opus", false, u" \"C:\\\\song.Opus\" \"C:\\\\song.mp3\"", u"Opus"},
        {"flac", u"C:\\song.flac", false, u" \"C:\\\\song.flac\" \"C:\\\\song.mp3\"", u"FLAC"},
        {"OGG decoded", u"C:\\song.OGG", true, u" \"C:\\\\song.OGG\" \"C:\\\\song.wav\""},
        {"mpa", u"C:\\song.mpa", false, u" \"C:\\\\song.mpa\" \"C:\\\\song.mp3\""},
        {"mpa decoded", u"C:\\song.mpa", true, u" \"C:\\\\song.mpa\" \"C:\\\\song.wav\""},
        {"MP2 decoded", u"C:\\song.MP2", true, u" \"C:\\\\song.MP2\" \"C:\\\\song.wav\""},
        {"flac decoded stays mp3", u"C:\\song.flac", true,
         u" \"C:\\\\song.flac\" \"C:\\\\song.mp3\""},
        {"wav decoded stays mp3", u"C:\\song.wav", true, u" \"C:\\\\song.wav\" \"C:\\\\song.mp3\""},
        {"no dot", u"D:\\a\\README", false, u" \"D:\\\\a\\\\README\" \"D:\\\\a\\\\README.mp3\""},
        {"dot only in a folder", u"D:\\My.Music\\track", false,
         u" \"D:\\\\My.Music\\\\track\" \"D:\\\\My.Music\\\\track.mp3\""},
        {"apostrophe after the last dot", u"C:\\a.b'c", false,
         u" \"C:\\\\a.b\\'c\" \"C:\\\\a.b\\'c.mp3\""},
        {"only the last four count", u"C:\\a.xmp3", false, u" \"C:\\\\a.xmp3\" \"C:\\\\a.mp3\""},
        {"two dots", u"C:\\a.b.mp3", false, u" --mp3input \"C:\\\\a.b.mp3\" \"C:\\\\a.b.mp3.mp3\""},
        {"no backslash", u"song.mp3", false, u" --mp3input \"song.mp3\" \"song.mp3.mp3\""},
        {"four characters are too short", u".mp3", false, u" \".mp3\" \".mp3.mp3\""},
        {"five characters suffice", u"a.mp3", false, u" --mp3input \"a.mp3\" \"a.mp3.mp3\""},
        {"empty path", u"", false, u" \".mp3\""},
        {"drive root keeps its closing quote", u"D:\\", false, u" \"D:\\\\\\\\\" \"D:\\\\.mp3\""},
        {"folder with trailing backslashes", u"D:\\a\\\\", false,
         u" \"D:\\\\a\\\\\\\\\\\\\\\\\" \"D:\\\\a\\\\\\\\.mp3\""},
    };
    for (const FileCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::u16string line = Line(MakeRecord(c.path), false, false, c.decode);
        EXPECT_EQ(line, Wrapped(c.files, c.from));
        // The output the encoder receives is the one the output check looks at.
        const OutputPathParts output = OutputPathPartsOf(MakeRecord(c.path), c.decode);
        EXPECT_EQ(ArgumentsOf(line).back(), c.path.substr(0, output.baseLength) + output.suffix);
    }
}

// The input's option follows what the file was judged to hold; the output's name stays the
// extension's.
TEST(BuildCallRunLine, ChoosesTheInputOptionByWhatTheFileHolds) {
    const struct {
        const char* name;
        std::u16string path;
        EncoderInput input;
        std::u16string files;
        std::u16string from = u"";
    } cases[] = {
        {"FLAC named .mp3", u"C:\\a.mp3", EncoderInput::kFlac,
         u" --no-mpeg-input \"C:\\\\a.mp3\" \"C:\\\\a.mp3.mp3\""},
        {"WAVE named .MPG", u"C:\\a.MPG", EncoderInput::kWave,
         u" --no-mpeg-input \"C:\\\\a.MPG\" \"C:\\\\a.mp3\""},
        {"Ogg named .ogg", u"C:\\a.ogg", EncoderInput::kOgg, u" \"C:\\\\a.ogg\" \"C:\\\\a.mp3\"",
         u"Ogg"},
        {"MPEG audio named .mp3", u"C:\\a.mp3", EncoderInput::kMpegAudio,
         u" --mp3input \"C:\\\\a.mp3\" \"C:\\\\a.mp3.mp3\""},
        {"not yet read, named .mp3", u"C:\\a.mp3", EncoderInput::kUnknown,
         u" --mp3input \"C:\\\\a.mp3\" \"C:\\\\a.mp3.mp3\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TrackRecord record = MakeRecord(c.path);
        record.input = c.input;
        EXPECT_EQ(Line(record), Wrapped(c.files, c.from));
    }
}

// A source of known length has it after the command, in seconds (0: unknown); the command
// stays as it is.
TEST(BuildCallRunLine, GivesTheSourcesLengthAfterTheCommand) {
    TrackRecord record = MakeRecord(u"C:\\a.flac", {u"Titel"});
    const std::u16string command = u" --tt \"Titel\" \"C:\\\\a.flac\" \"C:\\\\a.mp3\"";
    EXPECT_EQ(Line(record), Wrapped(command, u"FLAC"));
    for (const auto& [milliseconds, seconds] : {std::pair<uint32_t, std::u16string>{6021, u"6.021"},
                                                {5, u"0.005"},
                                                {3600000, u"3600.000"}}) {
        record.milliseconds = milliseconds;
        EXPECT_EQ(Line(record), Wrapped(command, u"FLAC", seconds));
    }
}

// Windows opens a path of 260 units or more only in the extended-length form (unless long
// paths are enabled for the whole system), so lame.exe is given each such name in it.
TEST(BuildCallRunLine, GivesTheEncoderLongPathsInTheExtendedLengthForm) {
    struct LongCase {
        const char* name;
        std::u16string path;
        std::vector<std::u16string> files;  // as the encoder receives them
    };
    const std::u16string deep = u"D:\\" + std::u16string(246, u'x') + u"\\it's ";  // 255 units
    const std::u16string share = u"\\\\srv\\share\\" + std::u16string(280, u'y') + u"\\";
    const std::u16string unc = u"\\\\?\\UNC" + share.substr(1);
    const std::u16string relative(300, u'z');
    const LongCase cases[] = {
        {"input and output",
         deep + u"a b.wav",
         {u"\\\\?\\" + deep + u"a b.wav", u"\\\\?\\" + deep + u"a b.mp3"}},
        {"only the output reaches 260",
         deep.substr(0, 252) + u".mp3",
         {u"--mp3input", deep.substr(0, 252) + u".mp3",
          u"\\\\?\\" + deep.substr(0, 252) + u".mp3.mp3"}},
        {"259 units stay",
         deep.substr(0, 255) + u".ogg",
         {deep.substr(0, 255) + u".ogg", deep.substr(0, 255) + u".mp3"}},
        {"network path", share + u"b.mp2", {unc + u"b.mp2", unc + u"b.mp3"}},
        {"a folder ending in a backslash", share, {unc, unc + u".mp3"}},
        {"not a full path", relative + u".wav", {relative + u".wav", relative + u".mp3"}},
    };
    for (const LongCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::u16string> expected = {u"lame.exe"};
        expected.insert(expected.end(), c.files.begin(), c.files.end());
        EXPECT_EQ(ArgumentsOf(Line(MakeRecord(c.path))), expected);
    }
}

TEST(BuildCallRunLine, LeavesTheRecordUnchanged) {
    TrackRecord record = MakeRecord(u"C:\\x\\it's.mp3", {.title = u"a\\\"b'", .artist = u"AC\\"});
    const WideStringRecord* path = record.fields[kPath].Record();
    const WideStringRecord* title = record.fields[kTitle].Record();
    Line(record, true, false, false);
    EXPECT_EQ(record.fields[kPath].Record(), path);
    EXPECT_EQ(record.fields[kTitle].Record(), title);
    EXPECT_EQ(std::u16string(record.fields[kPath].Text()), u"C:\\x\\it's.mp3");
    EXPECT_EQ(std::u16string(record.fields[kTitle].Text()), u"a\\\"b'");
    EXPECT_EQ(std::u16string(record.fields[kArtist].Text()), u"AC\\");
}

TEST(BuildCallRunsBlock, JoinsTheLinesInTrackOrder) {
    PointerArray<TrackRecord> tracks;
    tracks.Add(new TrackRecord(MakeRecord(u"C:\\b.mp3", {.artist = u"B"})));
    tracks.Add(new TrackRecord(MakeRecord(u"E:\\x\\a.wav")));
    tracks.Add(new TrackRecord(MakeRecord(u"C:\\c.ogg", {.title = u"</"})));
    const std::u16string block = BuildCallRunsBlock(tracks, true, false, true).Text();
    std::u16string expected;
    for (uint32_t i = 0; i < tracks.Count(); ++i)
        expected += BuildCallRunLine(*tracks.GetAt(i), true, false, true).Text();
    EXPECT_EQ(block, expected);
    EXPECT_EQ(block.find(Wrapped(u" --add-id3v2 --ta \"B\" --mp3input \"C:\\\\b.mp3\" "
                                 u"\"C:\\\\b.wav\"") +
                         u"\tcallRun ("),
              0u);
}

TEST(BuildCallRunsBlock, OfNoTracksIsEmpty) {
    PointerArray<TrackRecord> tracks;
    EXPECT_TRUE(BuildCallRunsBlock(tracks, false, false, false).IsEmpty());
}

TEST(BuildCallRunsBlock, IsBuiltInOneBlockOfTheFinalSize) {
    PointerArray<TrackRecord> tracks;
    for (int i = 0; i < 2000; ++i) tracks.Add(new TrackRecord(MakeRecord(u"C:\\Musik\\x.mp3")));
    const WideString block = BuildCallRunsBlock(tracks, false, false, false);
    const uint32_t lineLength = BuildCallRunLine(*tracks.GetAt(0), false, false, false).Length();
    EXPECT_EQ(block.Length(), 2000 * lineLength);
    // PrepareBuffer's rounding: the block is no larger than the text needs.
    EXPECT_EQ(block.Capacity(), (block.Length() + 1) | 7);
}

// The lines name the outputs the settings made, escaped as paths are; without settings the
// block is the one of outputs beside their sources.
TEST(BuildCallRunsBlock, NamesTheOutputsTheSettingsMade) {
    PointerArray<TrackRecord> tracks;
    tracks.Add(new TrackRecord(MakeRecord(u"D:\\In\\a.mp3", {.title = u"Rock'n'Roll"})));
    tracks.Add(new TrackRecord(MakeRecord(u"D:\\In\\b.wav")));
    OutputSettings settings;
    settings.ownFolder = true;
    settings.folder.AssignText(u"E:\\MP3");
    settings.pattern.AssignText(u"<Titel>");
    TrackOutputs outputs;
    ASSERT_TRUE(outputs.Fill(tracks, false, &settings));
    EXPECT_EQ(std::u16string(BuildCallRunsBlock(tracks, false, false, false, &outputs).Text()),
              Wrapped(u" --tt \"Rock\\'n\\'Roll\" --mp3input \"D:\\\\In\\\\a.mp3\" "
                      u"\"E:\\\\MP3\\\\Rock\\'n\\'Roll.mp3\"") +
                  Wrapped(u" \"D:\\\\In\\\\b.wav\" \"E:\\\\MP3\\\\Unbekannt.mp3\""));
    EXPECT_EQ(std::u16string(BuildCallRunsBlock(tracks, false, false, false).Text()),
              Line(*tracks.GetAt(0)) + Line(*tracks.GetAt(1)));
}

}  // namespace
