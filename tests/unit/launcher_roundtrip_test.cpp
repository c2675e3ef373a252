// Values that reach the encoder through a launcher arrive exactly: the filled launcher is
// read back as its script engine reads the string literals, and the command that callRun
// assembles is split as the encoder's C runtime splits it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "launcher/call_run.h"
#include "launcher/cover_files.h"
#include "launcher/launcher_template.h"
#include "launcher_decoder.h"
#include "support/test_text.h"
#include "support/wide_text.h"

namespace {

using Args = std::vector<std::u16string>;

// The commands the launcher runs, one per callRun line: lame_exe + arg_comm + arg.
struct ReadBack {
    bool ok = false;
    std::vector<Args> commands;
};

std::optional<std::u16string> LiteralAfter(const std::u16string& text, const std::u16string& lead,
                                           size_t from = 0) {
    size_t pos = text.find(lead, from);
    if (pos == std::u16string::npos) return std::nullopt;
    pos += lead.size();
    return ReadScriptLiteral(text, pos);
}

ReadBack ReadLauncher(const std::u16string& text) {
    ReadBack result;
    // The page script must run to its own end tag: no "</" before it.
    const size_t scriptStart = text.find(u"<script>\r\n");
    const size_t scriptEnd = text.find(u"</script>\r\n</html>\r\n");
    EXPECT_NE(scriptEnd, std::u16string::npos);
    EXPECT_EQ(text.find(u"</", scriptStart), scriptEnd) << "the script element ends early";
    EXPECT_GT(text.find(u"<!--", scriptStart), scriptEnd) << "a comment opener in the script";

    const auto lame = LiteralAfter(text, u"\nvar lame_exe = ");
    const auto common = LiteralAfter(text, u"\nvar arg_comm = ");
    EXPECT_TRUE(lame && common) << "path or arguments do not read as literals";
    if (!lame || !common) return result;
    for (size_t at = text.find(u"\tcallRun ("); at < scriptEnd && at != std::u16string::npos;
         at = text.find(u"\tcallRun (", at + 1)) {
        const auto arg = LiteralAfter(text, u"\tcallRun (", at);
        EXPECT_TRUE(arg) << "a callRun line does not read as a literal";
        if (!arg) return result;
        // lame.exe on Windows splits by the msvcrt rule; the other runtimes must agree.
        const Args byMsvcrt = SplitCommandLine(*lame + *common + *arg, QuoteRule::kMsvcrt);
        EXPECT_EQ(byMsvcrt, SplitCommandLine(*lame + *common + *arg, QuoteRule::kSince2008))
            << Printable(*arg);
        result.commands.push_back(byMsvcrt);
    }
    result.ok = true;
    return result;
}

std::u16string FillOneTrack(const TrackRecord& record, const std::u16string& lame,
                            const std::u16string& common, const TrackCoverFiles* covers = nullptr) {
    PointerArray<TrackRecord> tracks;
    tracks.Add(new TrackRecord(record));
    // Through the launcher file's UTF-8 bytes, as the page loader reads them.
    const NarrowString bytes =
        FillLauncherTemplate(BuiltInLauncherTemplate(), true, Wide(lame), Wide(common),
                             BuildCallRunsBlock(tracks, false, false, false, nullptr, covers))
            .ToUtf8();
    return FromUtf8(std::string(bytes.Text(), bytes.Length()));
}

void ExpectArgs(const Args& got, const Args& expected) {
    ASSERT_EQ(got.size(), expected.size());
    for (size_t i = 0; i < got.size(); ++i)
        EXPECT_EQ(got[i], expected[i]) << "argument " << i << ": got [" << Printable(got[i])
                                       << "], expected [" << Printable(expected[i]) << "]";
}

const std::u16string kHostileValues[] = {
    u"\"",
    u"\"\"",
    u"a\"b",
    u"\"quoted\"",
    u"12\" Mix",
    u"'",
    u"it's \"x\"\\y",
    u"\\",
    u"\\\\",
    u"\\\\\\",
    u"AC\\",
    u"\\AC",
    u"A\\\\\\C",
    u"AC\\DC",
    u"a\\\"b",
    u"a\\\\\"b",
    u"a\\\\\\\"b",
    u"\\\"",
    u"\"\\",
    u"\"\\\\",
    u"a\\'b",
    u"'\\",
    u"\\'",
    u"</script>",
    u"</SCRIPT><script>alert(1)</script>",
    u"<!--<script>",
    u"<!-- x --><\\!--",
    u"<\\/",
    u"a\r\nb",
    u"\n",
    u"\r",
    u"x\u2028y\u2029z",
    u"\\\r\\\n",
    u"\U0001F3B5 Gr\u00FC\u00DFe",
    u"   ",
    u"\t",
    u"a b  c",
    u"%callRuns%",
    u"%lame_exe% %arg_comm% %delOrig%",
    u"--decode",
    u"$1...",
    u"\\u0041\\x41\\n",
    // Surrogates that are not part of a pair (a file system may hold them) and one pair.
    u"\xD800",
    u"a\xDC00"
    u"b",
    u"\xDC00\xD800",
    u"x\xD83D",
    u"\xDBFF\xDFFF",
};

TEST(LauncherRoundTrip, TagValuesReachTheEncoderExactly) {
    for (const std::u16string& value : kHostileValues) {
        SCOPED_TRACE(Printable(value));
        TrackRecord record;
        record.fields[kPath].AssignText(u"D:\\Musik\\a.wav");
        for (int field = kFirstTag; field <= kLastTag; ++field)
            record.fields[field].AssignText(value.c_str());
        const ReadBack back =
            ReadLauncher(FillOneTrack(record, u"D:\\Tools\\lame.exe", u" --priority 0 -b 128"));
        ASSERT_TRUE(back.ok);
        ASSERT_EQ(back.commands.size(), 1u);
        ExpectArgs(back.commands[0], {u"D:\\Tools\\lame.exe",
                                      u"--priority",
                                      u"0",
                                      u"-b",
                                      u"128",
                                      u"--tt",
                                      value,
                                      u"--ta",
                                      value,
                                      u"--tl",
                                      value,
                                      u"--ty",
                                      value,
                                      u"--tn",
                                      value,
                                      u"--tg",
                                      value,
                                      u"--tc",
                                      value,
                                      u"D:\\Musik\\a.wav",
                                      u"D:\\Musik\\a.mp3"});
    }
}

TEST(LauncherRoundTrip, PathsReachTheEncoderExactly) {
    struct PathCase {
        std::u16string path;
        Args files;  // input option (if any), input, output
    };
    const PathCase cases[] = {
        {u"D:\\Musik\\Rock'n'Roll\\01 Intro.mp3",
         {u"--mp3input", u"D:\\Musik\\Rock'n'Roll\\01 Intro.mp3",
          u"D:\\Musik\\Rock'n'Roll\\01 Intro.mp3.mp3"}},
        {u"D:\\", {u"D:\\", u"D:\\.mp3"}},
        {u"\\\\srv\\share\\", {u"\\\\srv\\share\\", u"\\\\srv\\share\\.mp3"}},
        {u"\\\\srv\\share\\x.ogg", {u"\\\\srv\\share\\x.ogg", u"\\\\srv\\share\\x.mp3"}},
        {u"C:\\a b\\c d.wav", {u"C:\\a b\\c d.wav", u"C:\\a b\\c d.mp3"}},
        {u"C:\\it's\\a.b'c", {u"C:\\it's\\a.b'c", u"C:\\it's\\a.b'c.mp3"}},
        {u"C:\\\xD800\\a\xDC00.wav", {u"C:\\\xD800\\a\xDC00.wav", u"C:\\\xD800\\a\xDC00.mp3"}},
        {u"C:\\a\xD83D.mp3", {u"--mp3input", u"C:\\a\xD83D.mp3", u"C:\\a\xD83D.mp3.mp3"}},
        {u"C:\\\U0001F3B5\\\u00E4.mpa",
         {u"C:\\\U0001F3B5\\\u00E4.mpa", u"C:\\\U0001F3B5\\\u00E4.mp3"}},
    };
    for (const PathCase& c : cases) {
        SCOPED_TRACE(Printable(c.path));
        TrackRecord record;
        record.fields[kPath].AssignText(c.path.c_str());
        const ReadBack back =
            ReadLauncher(FillOneTrack(record, u"C:\\lame.exe", u" --priority 0 "));
        ASSERT_TRUE(back.ok);
        ASSERT_EQ(back.commands.size(), 1u);
        Args expected = {u"C:\\lame.exe", u"--priority", u"0"};
        expected.insert(expected.end(), c.files.begin(), c.files.end());
        ExpectArgs(back.commands[0], expected);
    }
}

// A cover picture's file follows the tags, after the option that keeps a picture the encoder
// cannot take from failing the track; a long one in the extended-length form.
TEST(LauncherRoundTrip, CoverFilesReachTheEncoderExactly) {
    const std::u16string deep = u"C:\\" + std::u16string(300, u'x') + u"\\Cover.JPG";
    const struct {
        std::u16string file, expected;
    } cases[] = {
        {u"C:\\it's\\Folder.png", u"C:\\it's\\Folder.png"},
        {u"\\\\srv\\share\\Lame-Aufruf-Cover\\00ff00ff00ff00ff.jpg",
         u"\\\\srv\\share\\Lame-Aufruf-Cover\\00ff00ff00ff00ff.jpg"},
        {u"D:\\\U0001F3B5 Alben\\front.jpeg", u"D:\\\U0001F3B5 Alben\\front.jpeg"},
        {deep, u"\\\\?\\" + deep},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Printable(c.file));
        TrackRecord record;
        record.fields[kPath].AssignText(u"C:\\a.flac");
        record.fields[kTitle].AssignText(u"T");
        TrackCoverFiles covers;
        ASSERT_TRUE(covers.Reset(1));
        covers.Give(0, covers.AddFile(Wide(c.file)));
        const ReadBack back = ReadLauncher(FillOneTrack(record, u"C:\\lame.exe", u"", &covers));
        ASSERT_TRUE(back.ok);
        ASSERT_EQ(back.commands.size(), 1u);
        ExpectArgs(back.commands[0], {u"C:\\lame.exe", u"--tt", u"T", u"--ignore-tag-errors",
                                      u"--ti", c.expected, u"C:\\a.flac", u"C:\\a.mp3"});
    }
}

TEST(LauncherRoundTrip, CommonArgumentsAndLamePathReachTheEncoderAsTyped) {
    struct CommonCase {
        std::u16string lame, common;
        Args expected;
    };
    const CommonCase cases[] = {
        {u"C:\\Program Files\\LAME\\lame.exe",
         u" --priority 0 --tc \"a\\b\"",
         {u"C:\\Program Files\\LAME\\lame.exe", u"--priority", u"0", u"--tc", u"a\\b"}},
        {u"\\\\srv\\tools\\lame.exe",
         u" --priority 0 --tt \"</script>\" -x",
         {u"\\\\srv\\tools\\lame.exe", u"--priority", u"0", u"--tt", u"</script>", u"-x"}},
        {u"C:\\\xDC00\\lame.exe",
         u" --priority 0 --tt \"\xD800\"",
         {u"C:\\\xDC00\\lame.exe", u"--priority", u"0", u"--tt", u"\xD800"}},
        // Typed for Windows' lame.exe: "" would end the quoted part there.
        {u"C:\\it's\\lame.exe",
         u" --priority 0 --tl \"x\\\"y\"",
         {u"C:\\it's\\lame.exe", u"--priority", u"0", u"--tl", u"x\"y"}},
    };
    for (const CommonCase& c : cases) {
        SCOPED_TRACE(Printable(c.common));
        TrackRecord record;
        record.fields[kPath].AssignText(u"C:\\a.wav");
        const ReadBack back = ReadLauncher(FillOneTrack(record, c.lame, c.common));
        ASSERT_TRUE(back.ok);
        ASSERT_EQ(back.commands.size(), 1u);
        Args expected = c.expected;
        expected.push_back(u"C:\\a.wav");
        expected.push_back(u"C:\\a.mp3");
        ExpectArgs(back.commands[0], expected);
    }
}

// The readers themselves, on the cases that define them.
TEST(LauncherDecoder, ReadsLiteralsAndSplitsAsTheRuntimeDoes) {
    size_t pos = 0;
    EXPECT_EQ(ReadScriptLiteral(u"'a\\'b\\\\c\\/\\u2028\\r'", pos), u"a'b\\c/\u2028\r");
    pos = 0;
    EXPECT_FALSE(ReadScriptLiteral(u"'a\nb'", pos).has_value());
    pos = 0;
    EXPECT_FALSE(ReadScriptLiteral(u"\"a\u2029\"", pos).has_value());
    EXPECT_EQ(SplitCommandLine(u"\"C:\\a b\\x.exe\" a\\\\\"b c\" \"d\"\"e\" f\\\"g h\\"),
              (Args{u"C:\\a b\\x.exe", u"a\\b c", u"d\"e", u"f\"g", u"h\\"}));
    // Where the two runtimes part: "" inside quotes ends the quoted part only in msvcrt.dll.
    EXPECT_EQ(SplitCommandLine(u"x a\"b\"\" c d", QuoteRule::kSince2008),
              (Args{u"x", u"ab\" c d"}));
    EXPECT_EQ(SplitCommandLine(u"x a\"b\"\" c d", QuoteRule::kMsvcrt),
              (Args{u"x", u"ab\"", u"c", u"d"}));
}

}  // namespace
