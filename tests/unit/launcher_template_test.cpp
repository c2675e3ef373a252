// The launcher template: the built-in text, the check of a template file's bytes, and the
// filling in of its placeholders, down to the bytes of the written file.
//
// Golden files (tests/golden/), compared as the UTF-8 bytes of the filled built-in template:
// - worked_example.hta: Lame.exe path D:\Tools\lame.exe; options at their start state
//   except "CBR/VBR:" "CBR" ("<kein>", "Automatisch", "128 Radio", "CBR", "320"), "+" empty,
//   so the common arguments are " --priority 0 -b 128"; one track D:\Musik\a.wav without tags; "ID3
//   V2", "nur ID3 V2" and "Orig. löschen" not checked.
// - multi_track.hta: Lame.exe path D:\Tools\lame.exe; "Modus:" "Joint Stereo", "kBit/s:"
//   "192 CD", max. "256", "+" typed as --tv "TXXX=Quelle=D:\CD" and then "CBR/VBR:"
//   "VBR 4 - std" chosen (which appends " --vbr-new" to "+"); "ID3 V2" checked, "nur ID3 V2"
//   not checked, "Orig. löschen" checked; three tracks in this order:
//     1. D:\Musik\Rock'n'Roll\01 Intro.mp3, title: Intro "live", artist: AC\DC
//     2. D:\Hörbücher\Kapitel 2.ogg, album: Grüße aus "Köln", year: 1999, track number: 2,
//        genre: Hörspiel, comment: it's "x"\y </script>
//     3. D:\Musik\b.wav, artist: AC\ (a trailing backslash)
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "launcher/call_run.h"
#include "launcher/common_arguments.h"
#include "launcher/launcher_template.h"
#include "options/compose.h"
#include "support/golden_launcher.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

NarrowString Bytes(const std::string& bytes) {
    NarrowString text;
    text.PrepareBuffer(static_cast<uint32_t>(bytes.size()));
    std::memcpy(text.Buffer(), bytes.data(), bytes.size());
    text.Buffer()[bytes.size()] = 0;  // as the reader ends the bytes read
    return text;
}

std::string ReadGolden(const char* name) {
    std::ifstream file(std::string(TONSCHLEUDER_GOLDEN_DIR) + "/" + name, std::ios::binary);
    EXPECT_TRUE(file.good()) << "missing golden file " << name;
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return GoldenLauncher(bytes.str());
}

WideString Wide(const char16_t* text) {
    WideString s;
    s.AssignText(text);
    return s;
}

// The first line of a CR LF text that starts with the given text, without its line end.
std::u16string LineStarting(const std::u16string& text, const std::u16string& start) {
    const size_t at = text.find(u"\n" + start);
    if (at == std::u16string::npos) return u"<no such line>";
    return text.substr(at + 1, text.find(u"\r\n", at) - at - 1);
}

WideString FillBuiltIn(bool deleteOriginals, const char16_t* lame, const char16_t* common,
                       const char16_t* callRuns) {
    return FillLauncherTemplate(BuiltInLauncherTemplate(), deleteOriginals, Wide(lame),
                                Wide(common), Wide(callRuns));
}

TEST(BuiltInLauncherTemplate, IsAsciiLinesEachEndedByCrLf) {
    const std::string text = kBuiltInLauncherTemplate;
    int lines = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        ASSERT_LT(static_cast<unsigned char>(text[i]), 0x80u) << "at " << i;
        if (text[i] == '\n') {
            ASSERT_GT(i, 0u);
            EXPECT_EQ(text[i - 1], '\r') << "line " << lines + 1;
            ++lines;
        }
    }
    EXPECT_GT(lines, 0);
    EXPECT_EQ(text.substr(text.size() - 9), "</html>\r\n");
    EXPECT_EQ(text.find("@include "), std::string::npos) << "a part of the page not joined";
    const WideString wide = BuiltInLauncherTemplate();
    EXPECT_EQ(wide.Length(), text.size());
    // The placeholders stand at the starts of lines of their own, the callRun lines before
    // the batch starts.
    EXPECT_EQ(LineStarting(wide.Text(), u"%callRuns%"), u"%callRuns%\tstartBatch ();");
    EXPECT_EQ(LineStarting(wide.Text(), u"var lame_exe = "),
              u"var lame_exe = \"\\\"%lame_exe%\\\"\";");
    EXPECT_EQ(LineStarting(wide.Text(), u"var deleteOriginals = "),
              u"var deleteOriginals = %delOrig%;");
}

// VBScript is an optional Windows feature on its way out: the page runs on JScript alone.
TEST(BuiltInLauncherTemplate, HoldsNoVbScript) {
    const NarrowString text = Bytes(kBuiltInLauncherTemplate);
    EXPECT_LT(text.FindNoCase("vbscript"), 0);
    EXPECT_LT(text.FindNoCase("vbRun"), 0);
    EXPECT_LT(text.FindNoCase("cmd.exe /"), 0) << "no command interpreter deletes a source";
}

TEST(FillLauncherTemplate, WritesTheWorkedExampleAsTheGoldenFile) {
    TrackRecord track;
    track.fields[kPath].AssignText(u"D:\\Musik\\a.wav");
    PointerArray<TrackRecord> tracks;
    tracks.Add(new TrackRecord(track));
    WideString options;
    ComposeOptionArguments(0, 0, 8, 1, 13, options);
    const WideString common = ComposeCommonArguments(options, WideString());
    const WideString callRuns = BuildCallRunsBlock(tracks, false, false, IsDecodeRun(common));
    // Through the UTF-8 fill the writer uses, so the golden file holds the program's bytes.
    const NarrowString filled = FillLauncherTemplateAsUtf8(
        BuiltInLauncherTemplate(), false, Wide(u"D:\\Tools\\lame.exe"), common, callRuns);
    EXPECT_EQ(std::string(filled.Text(), filled.Length()), ReadGolden("worked_example.hta"));
}

TEST(FillLauncherTemplate, WritesTheMultiTrackExampleAsTheGoldenFile) {
    struct Track {
        const char16_t* path;
        TrackField field[5];
        const char16_t* value[5];
    };
    const Track input[] = {
        {u"D:\\Musik\\Rock'n'Roll\\01 Intro.mp3",
         {kTitle, kArtist},
         {u"Intro \"live\"", u"AC\\DC"}},
        {u"D:\\H\u00F6rb\u00FCcher\\Kapitel 2.ogg",
         {kAlbum, kYear, kTrackNumber, kGenre, kComment},
         {u"Gr\u00FC\u00DFe aus \"K\u00F6ln\"", u"1999", u"2", u"H\u00F6rspiel",
          u"it's \"x\"\\y </script>"}},
        {u"D:\\Musik\\b.wav", {kArtist}, {u"AC\\"}},
    };
    PointerArray<TrackRecord> tracks;
    for (const Track& t : input) {
        auto* record = new TrackRecord;
        record->fields[kPath].AssignText(t.path);
        for (int i = 0; i < 5 && t.value[i]; ++i) record->fields[t.field[i]].AssignText(t.value[i]);
        tracks.Add(record);
    }
    tracks.GetAt(2)->milliseconds = 1500;  // b.wav, read at the drop
    WideString options;
    ComposeOptionArguments(0, 2, 10, 8, 12, options);
    WideString extra = Wide(u"--tv \"TXXX=Quelle=D:\\CD\"");
    ASSERT_TRUE(SwitchVbrNewArgument(8, extra));
    const WideString common = ComposeCommonArguments(options, extra);
    const WideString callRuns = BuildCallRunsBlock(tracks, true, false, IsDecodeRun(common));
    const NarrowString filled = FillLauncherTemplateAsUtf8(
        BuiltInLauncherTemplate(), true, Wide(u"D:\\Tools\\lame.exe"), common, callRuns);
    EXPECT_EQ(std::string(filled.Text(), filled.Length()), ReadGolden("multi_track.hta"));
}

TEST(FillLauncherTemplate, EscapesPathAndArgumentsForTheirScriptLiterals) {
    struct FillCase {
        const char* name;
        const char16_t* lame;
        const char16_t* common;
        std::u16string start;  // of the line
        std::u16string expected;
    };
    const FillCase cases[] = {
        {"quotes and backslashes in the arguments", u"C:\\l.exe", u" --priority 0 --tc \"a\\b\"",
         u"var arg_comm = ", u"var arg_comm = \" --priority 0 --tc \\\"a\\\\b\\\"\";"},
        {"priority alone keeps its blank", u"C:\\l.exe", u" --priority 0 ", u"var arg_comm = ",
         u"var arg_comm = \" --priority 0 \";"},
        {"the end of the script element in the arguments", u"C:\\l.exe", u" --tt \"</script>\"",
         u"var arg_comm = ", u"var arg_comm = \" --tt \\\"<\\/script>\\\"\";"},
        {"line breaks in the arguments", u"C:\\l.exe", u" a\r\nb\u2028", u"var arg_comm = ",
         u"var arg_comm = \" a\\r\\nb\\u2028\";"},
        {"backslashes in the path", u"\\\\server\\tools\\lame.exe", u" ", u"var lame_exe = ",
         u"var lame_exe = \"\\\"\\\\\\\\server\\\\tools\\\\lame.exe\\\"\";"},
        {"a lone surrogate in the path, a pair in the arguments", u"C:\\\xDFFF\\l.exe",
         u" \U0001F3B5", u"var lame_exe = ", u"var lame_exe = \"\\\"C:\\\\\\uDFFF\\\\l.exe\\\"\";"},
        {"the end of the script element in the path", u"C:\\a</b\\l.exe", u" ", u"var lame_exe = ",
         u"var lame_exe = \"\\\"C:\\\\a<\\/b\\\\l.exe\\\"\";"},
    };
    for (const FillCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(LineStarting(FillBuiltIn(false, c.lame, c.common, u"").Text(), c.start),
                  c.expected);
    }
}

TEST(FillLauncherTemplate, SetsTheDeleteFlagAndPutsTheLinesBeforeTheBatchStarts) {
    const std::u16string filled =
        FillBuiltIn(true, u"C:\\l.exe", u" x", u"\tcallRun ('a');\r\n\tcallRun ('b');\r\n").Text();
    EXPECT_EQ(LineStarting(filled, u"var deleteOriginals = "), u"var deleteOriginals = 1;");
    EXPECT_NE(
        filled.find(u"\r\n{\r\n\tcallRun ('a');\r\n\tcallRun ('b');\r\n\tstartBatch ();\r\n}"),
        std::u16string::npos);
    EXPECT_EQ(LineStarting(FillBuiltIn(false, u"", u"", u"").Text(), u"var deleteOriginals = "),
              u"var deleteOriginals = 0;");
}

TEST(FillLauncherTemplate, ReplacesEveryOccurrenceAndOnlyThePlaceholdersPresent) {
    WideString templ;
    templ.AssignText(u"%callRuns%|%callRuns%|%delOrig%%delOrig%|%lame_exe%|%CALLRUNS%|%arg_comm");
    const WideString filled =
        FillLauncherTemplate(templ, true, Wide(u"C:\\l"), Wide(u" a"), Wide(u"R"));
    EXPECT_EQ(std::u16string(filled.Text()), u"R|R|11|C:\\\\l|%CALLRUNS%|%arg_comm");
}

TEST(FillLauncherTemplate, NeverFillsInPlaceholderNamesThatAValueHolds) {
    WideString templ;
    templ.AssignText(u"[%lame_exe%][%arg_comm%][%callRuns%][%delOrig%]");
    const WideString filled =
        FillLauncherTemplate(templ, false, Wide(u"C:\\%arg_comm%\\l.exe"),
                             Wide(u" --tc %callRuns% %delOrig%%"), Wide(u"\tcallRun ('x');\r\n"));
    EXPECT_EQ(std::u16string(filled.Text()),
              u"[C:\\\\%arg_comm%\\\\l.exe][ --tc %callRuns% %delOrig%%][\tcallRun ('x');\r\n][0]");
}

TEST(FillLauncherTemplate, LeavesATemplateWithoutPlaceholdersShared) {
    WideString templ;
    templ.AssignText(u"<html>nothing to fill</html>");
    const WideString filled =
        FillLauncherTemplate(templ, false, Wide(u"a"), Wide(u"b"), Wide(u"c"));
    EXPECT_EQ(filled.Record(), templ.Record());
}

// The batch run takes an empty filled text for a text lost to lack of memory and does not
// write it over a launcher: so a template lost the same way must fill to nothing, and a
// text too long for a string must come back empty rather than cut off.
TEST(FillLauncherTemplate, YieldsNoTextForNoTemplateOrATextTooLong) {
    EXPECT_TRUE(FillLauncherTemplate(WideString(), true, Wide(u"C:\\l.exe"), Wide(u" a"),
                                     Wide(u"\tcallRun ('x');\r\n"))
                    .IsEmpty());

    // 1024 placeholders, each filled with 4 Mi units: 4 Gi units, more than a string holds.
    WideString templ;
    ASSERT_TRUE(templ.PrepareBuffer(1024 * 10));
    for (int i = 0; i < 1024; ++i) CopyTextN(templ.Buffer() + i * 10, u"%callRuns%", 10);
    templ.Buffer()[1024 * 10] = 0;
    WideString callRuns;
    ASSERT_TRUE(callRuns.PrepareBuffer(4u << 20));
    for (uint32_t i = 0; i < (4u << 20); ++i) callRuns.Buffer()[i] = u'x';
    callRuns.Buffer()[4u << 20] = 0;
    EXPECT_TRUE(FillLauncherTemplate(templ, false, Wide(u"l"), Wide(u" a"), callRuns).IsEmpty());
}

TEST(CheckTemplateBytes, AcceptsHtmlWithAnExactPlaceholder) {
    struct CheckCase {
        const char* name;
        std::string bytes;
        TemplateVerdict verdict;
    };
    const CheckCase cases[] = {
        {"plain", "<html>%callRuns%</html>", TemplateVerdict::kAccepted},
        {"html only in a comment", "<!-- no html here --><p>%lame_exe%",
         TemplateVerdict::kAccepted},
        {"html only in xhtml", "<p class=xhtml>%arg_comm%", TemplateVerdict::kAccepted},
        {"html in mixed case", "<HtMl>%callRuns%", TemplateVerdict::kAccepted},
        {"only %callRuns%", "<html>%callRuns%%delOrig%", TemplateVerdict::kAccepted},
        {"UTF-8 beyond ASCII", "<html>\xC3\xA4%callRuns%", TemplateVerdict::kAccepted},
        {"no html", "<body>%callRuns%</body>", TemplateVerdict::kNotHtml},
        {"html split across lines", "<ht\r\nml>%callRuns%", TemplateVerdict::kNotHtml},
        {"empty file", "", TemplateVerdict::kNotHtml},
        {"UTF-16 stops at its first NUL", std::string("<\0h\0t\0m\0l\0>\0%\0", 14),
         TemplateVerdict::kNotHtml},
        {"UTF-16 with byte order mark", std::string("\xFF\xFE<\0h\0t\0m\0l\0", 12),
         TemplateVerdict::kNotHtml},
        {"html after a NUL byte", std::string("<p>\0<html>%callRuns%", 20),
         TemplateVerdict::kNotHtml},
        {"placeholders in other letter cases", "<html>%CALLRUNS% %Lame_Exe% %ARG_COMM%",
         TemplateVerdict::kNoPlaceholder},
        {"only %delOrig%", "<html>%delOrig%", TemplateVerdict::kNoPlaceholder},
        {"placeholder without its percent signs", "<html>callRuns lame_exe",
         TemplateVerdict::kNoPlaceholder},
        {"placeholder after a NUL byte", std::string("<html>\0%callRuns%", 17),
         TemplateVerdict::kNoPlaceholder},
    };
    for (const CheckCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CheckTemplateBytes(Bytes(c.bytes)), c.verdict);
    }
}

TEST(CheckTemplateBytes, AcceptsTheBuiltInTemplate) {
    EXPECT_EQ(CheckTemplateBytes(Bytes(kBuiltInLauncherTemplate)), TemplateVerdict::kAccepted);
}

// An accepted file is taken in the ANSI code page, so UTF-8 beyond ASCII comes out changed.
TEST(CheckTemplateBytes, AcceptedUtf8IsReadByteByByteInTheAnsiCodePage) {
    WideString text;
    text.AssignAnsi("<html>\xC3\xBC %callRuns%");
    std::u16string expected = u"<html>\u00C3\u00BC %callRuns%";
#ifdef _WIN32
    // Only code page 1252 (the portable build's stand-in) fixes the two characters.
    if (GetACP() != 1252) expected = std::u16string(text.Text());
#endif
    EXPECT_EQ(std::u16string(text.Text()), expected);
    EXPECT_EQ(text.Length(), 19u) << "two bytes became two units";
    const std::u16string filled =
        FillLauncherTemplate(text, false, Wide(u""), Wide(u""), Wide(u"X")).Text();
    EXPECT_EQ(filled, expected.substr(0, 9) + u"X");
}

TEST(TemplateMessages, ReadAsTheUserSeesThem) {
    const char16_t* path = u"C:\\Programme\\Tonschleuder-Vorlage.htm";
    WideString message;
    message.Format(kTemplateNotHtmlMessage, path);
    EXPECT_EQ(std::u16string(message.Text()),
              u"Die Vorlagendatei C:\\Programme\\Tonschleuder-Vorlage.htm\r\n\r\n ist keine "
              u"HTML-Datei!");
    message.Format(kTemplateNoPlaceholderMessage, path);
    EXPECT_EQ(std::u16string(message.Text()),
              u"Der Vorlagendatei C:\\Programme\\Tonschleuder-Vorlage.htm\r\n\r\n fehlt "
              u"mindestens einer der Platzhalter %lame_exe%, %arg_comm% oder %callRuns%!");
    message.Format(kTemplateNoMemoryMessage, path);
    EXPECT_EQ(std::u16string(message.Text()),
              u"Die Vorlagendatei C:\\Programme\\Tonschleuder-Vorlage.htm\r\n\r\n wurde wegen "
              u"Speichermangel nicht ge\u00F6ffnet!");
}

}  // namespace
