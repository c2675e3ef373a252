// The two sample files of the release (docs/examples/; the template is made from the built-in
// page at build time): the template passes the program's check and is filled in so that its
// script reads the values back, and the genre list parses to the entries written and lays out
// as intended. And the launcher's document shows the built-in template as it is.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "launcher/call_run.h"
#include "launcher/launcher_template.h"
#include "launcher_decoder.h"
#include "tracks/genre_list.h"
#include "support/wide_text.h"

namespace {

std::string ReadExample(const char8_t* name) {
    // A path object, so that the umlaut reaches Windows as UTF-16 and Linux as UTF-8.
    const std::filesystem::path path =
        std::filesystem::path(TONSCHLEUDER_EXAMPLES_DIR) / std::filesystem::path(name);
    std::ifstream file(path, std::ios::binary);
    EXPECT_TRUE(file.good()) << "missing " << path.string();
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

// The sample template, made from the built-in page at build time.
std::string ReadSampleTemplate() {
    std::ifstream file(std::filesystem::path(TONSCHLEUDER_SAMPLE_TEMPLATE), std::ios::binary);
    EXPECT_TRUE(file.good()) << "missing " << TONSCHLEUDER_SAMPLE_TEMPLATE;
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

NarrowString Bytes(const std::string& bytes) {
    NarrowString text;
    text.PrepareBuffer(static_cast<uint32_t>(bytes.size()));
    std::memcpy(text.Buffer(), bytes.data(), bytes.size());
    text.Buffer()[bytes.size()] = 0;
    return text;
}

// The script literal that follows the first occurrence of marker.
std::u16string LiteralAfter(const std::u16string& text, const std::u16string& marker) {
    size_t pos = text.find(marker);
    if (pos == std::u16string::npos) return u"<marker missing>";
    pos += marker.size();
    const auto literal = ReadScriptLiteral(text, pos);
    return literal ? *literal : u"<literal does not read>";
}

WideString FillSampleTemplate(bool deleteOriginals, const WideString& callRuns) {
    WideString templ;
    templ.AssignAnsi(Bytes(ReadSampleTemplate()).Text());
    return FillLauncherTemplate(templ, deleteOriginals, Wide(u"C:\\Programme\\Lame\\lame.exe"),
                                Wide(u" --priority 0 -V 4 --tc \"a\\b\""), callRuns);
}

TEST(SampleTemplate, IsAsciiAndPassesTheCheck) {
    const std::string bytes = ReadSampleTemplate();
    ASSERT_FALSE(bytes.empty());
    // ASCII reads the same in every ANSI code page.
    for (size_t i = 0; i < bytes.size(); ++i)
        ASSERT_LT(static_cast<unsigned char>(bytes[i]), 0x80u) << "byte " << i;
    EXPECT_EQ(CheckTemplateBytes(Bytes(bytes)), TemplateVerdict::kAccepted);
}

TEST(SampleTemplate, TakesEveryValueWhereItsScriptReadsItBack) {
    PointerArray<TrackRecord> tracks;
    tracks.Add(MakeTrackRecord(u"D:\\Musik\\Rock'n'Roll\\01 Intro.mp3"));
    tracks.GetAt(0)->fields[kTitle].AssignText(u"Intro \"live\"");
    tracks.Add(MakeTrackRecord(u"D:\\H\u00F6rb\u00FCcher\\Kapitel 2.ogg"));
    const WideString callRuns = BuildCallRunsBlock(tracks, true, false, false);
    const std::u16string filled = FillSampleTemplate(true, callRuns).Text();

    for (const char16_t* placeholder : {u"%lame_exe%", u"%arg_comm%", u"%callRuns%", u"%delOrig%"})
        EXPECT_EQ(filled.find(placeholder), std::u16string::npos) << Printable(placeholder);
    EXPECT_EQ(LiteralAfter(filled, u"var lame_exe = "), u"\"C:\\Programme\\Lame\\lame.exe\"");
    EXPECT_EQ(LiteralAfter(filled, u"var arg_comm = "), u" --priority 0 -V 4 --tc \"a\\b\"");
    EXPECT_NE(filled.find(u"var deleteOriginals = 1;"), std::u16string::npos);
    // The callRun lines form the body of run(), before the batch starts. (The end-to-end
    // launcher tests run the sample.)
    EXPECT_NE(filled.find(u"function run ()\r\n{\r\n" + std::u16string(callRuns.Text()) +
                          u"\tstartBatch ();\r\n}"),
              std::u16string::npos);
    EXPECT_EQ(filled.find(u"vbscript"), std::u16string::npos) << "JScript alone";
}

// docs/launcher.md links to the built-in page's sources instead of copying it: the markup and
// every part it includes are linked, and every link of the folder leads to a file.
TEST(LauncherDocument, LinksToThePagesSources) {
    const std::string document = ReadExample(u8"../launcher.md");
    const std::string folder = "../src/launcher/page/";
    const std::string markup = ReadExample(u8"../../src/launcher/page/launcher_page.htm");
    EXPECT_NE(document.find("](" + folder + "launcher_page.htm)"), std::string::npos);
    int parts = 0;
    for (size_t at = markup.find("\n@include "); at != std::string::npos;
         at = markup.find("\n@include ", at + 1), ++parts) {
        const size_t name = at + 10;
        const std::string part = markup.substr(name, markup.find('@', name) - name);
        EXPECT_NE(document.find("](" + folder + part + ")"), std::string::npos) << part;
    }
    EXPECT_GT(parts, 0);
    for (size_t at = document.find("](" + folder); at != std::string::npos;
         at = document.find("](" + folder, at + 1)) {
        const std::string target = document.substr(at + 2, document.find(')', at) - at - 2);
        EXPECT_FALSE(
            ReadExample(reinterpret_cast<const char8_t*>(("../" + target).c_str())).empty())
            << target;
    }
}

TEST(SampleTemplate, KeepsTheOriginalsWhenNotAskedToDelete) {
    const std::u16string filled = FillSampleTemplate(false, WideString()).Text();
    EXPECT_NE(filled.find(u"var deleteOriginals = 0;"), std::u16string::npos);
    EXPECT_NE(filled.find(u"function run ()\r\n{\r\n\tstartBatch ();\r\n}"), std::u16string::npos);
}

std::u16string GenreText(const std::string& bytes) {
    std::u16string text;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                      static_cast<unsigned char>(bytes[i + 1]) << 8);
    return text;
}

std::vector<std::u16string> ParseGenres(const std::u16string& text) {
    PointerArray<WideString> list;
    ParseGenreText(text.c_str(), list);
    std::vector<std::u16string> entries;
    for (uint32_t i = 0; i < list.Count(); ++i) entries.emplace_back(list.GetAt(i)->Text());
    return entries;
}

const std::vector<std::u16string> kSampleGenres = {
    u"Rock",
    u"  Rock && Roll",
    u"  Hard Rock",
    u"  Indie-Rock",
    u"  Punk",
    u"    Post-Punk",
    u"Pop",
    u"  Synthpop",
    u"  Neue Deutsche Welle",
    u"  Schlager",
    u"-",
    u"Jazz",
    u"  Swing",
    u"  Bebop",
    u"  Cool Jazz",
    u"Blues",
    u"Soul && Funk",
    u"  R&&B",
    u"-",
    u"Elektronisch",
    u"  Ambient",
    u"  House",
    u"  Techno",
    u"  Drum && Bass",
    u"Hip-Hop",
    u"",
    u"-",
    u"Klassik",
    u"  Barock",
    u"  Kammermusik",
    u"  Oper",
    u"  Sinfonie",
    u"  Chormusik",
    u"  Kirchenmusik",
    u"Filmmusik",
    u"-",
    u"Volksmusik",
    u"Weltmusik",
    u"Liedermacher",
    u"Chanson",
    u"-",
    u"H\u00F6rbuch",
    u"H\u00F6rspiel",
    u"Podcast",
};

TEST(SampleGenreList, IsUtf16WithoutByteOrderMark) {
    const std::string bytes = ReadExample(u8"Genre-Men\u00FC.txt");
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.size() % 2, 0u);
    EXPECT_NE(GenreText(bytes)[0], u'\uFEFF');
}

TEST(SampleGenreList, ParsesToTheEntriesWritten) {
    EXPECT_EQ(ParseGenres(GenreText(ReadExample(u8"Genre-Men\u00FC.txt"))), kSampleGenres);
}

TEST(SampleGenreList, KeepsItsFirstGenreCleanWhenAnEditorAddsAByteOrderMark) {
    std::u16string text = GenreText(ReadExample(u8"Genre-Men\u00FC.txt"));
    text.insert(text.begin(), u'\uFEFF');
    std::vector<std::u16string> expected = kSampleGenres;
    expected.insert(expected.begin(), u"\uFEFF");
    EXPECT_EQ(ParseGenres(text), expected);
}

TEST(SampleGenreList, FillsAColumnAndStartsTheSpokenWordInTheNext) {
    PointerArray<WideString> list;
    ParseGenreText(GenreText(ReadExample(u8"Genre-Men\u00FC.txt")).c_str(), list);
    uint32_t rowCounter = 0;
    std::vector<std::u16string> columnStarts{list.GetAt(0)->Text()};
    std::vector<std::u16string> dropped;
    for (uint32_t i = 0; i < list.Count(); ++i) {
        const GenreMenuItem item = NextGenreMenuItem(*list.GetAt(i), rowCounter);
        if (item == GenreMenuItem::kStringColumnBreak)
            columnStarts.emplace_back(list.GetAt(i)->Text());
        if (item == GenreMenuItem::kSkip) dropped.emplace_back(list.GetAt(i)->Text());
    }
    EXPECT_EQ(columnStarts, (std::vector<std::u16string>{u"Rock", u"H\u00F6rbuch"}));
    EXPECT_EQ(dropped, std::vector<std::u16string>{u"-"});
}

TEST(SampleGenreList, GivesTheGenreTextsWhenChosen) {
    struct Choice {
        std::u16string entry, genre;
    };
    const Choice choices[] = {
        {u"  Rock && Roll", u"Rock & Roll"},
        {u"    Post-Punk", u"Post-Punk"},
        {u"  R&&B", u"R&B"},
        {u"  Drum && Bass", u"Drum & Bass"},
        {u"H\u00F6rspiel", u"H\u00F6rspiel"},
    };
    for (const Choice& c : choices) {
        SCOPED_TRACE(Printable(c.entry));
        EXPECT_NE(std::find(kSampleGenres.begin(), kSampleGenres.end(), c.entry),
                  kSampleGenres.end());
        WideString text = Wide(c.entry.c_str());
        CleanChosenGenre(text);
        EXPECT_EQ(std::u16string(text.Text()), c.genre);
    }
}

}  // namespace
