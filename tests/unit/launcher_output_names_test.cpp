// Outputs named from a pattern of the track's fields: every part a valid Windows name, the
// folder the settings choose, the whole path within MAX_PATH.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "launcher/call_run.h"
#include "outputs/default_output.h"
#include "outputs/name_pattern.h"
#include "outputs/output_folder.h"
#include "outputs/output_namer.h"
#include "support/test_text.h"

namespace {

struct Tags {
    std::u16string artist, album, title, number, year, genre;
};

TrackRecord* Record(const std::u16string& path, const Tags& tags = {}) {
    TrackRecord* record = MakeTrackRecord(path.c_str());
    record->fields[kArtist].AssignText(tags.artist.c_str());
    record->fields[kAlbum].AssignText(tags.album.c_str());
    record->fields[kTitle].AssignText(tags.title.c_str());
    record->fields[kTrackNumber].AssignText(tags.number.c_str());
    record->fields[kYear].AssignText(tags.year.c_str());
    record->fields[kGenre].AssignText(tags.genre.c_str());
    return record;
}

OutputSettings Settings(const std::u16string& pattern, const std::u16string& folder = u"",
                        bool keep = false) {
    OutputSettings settings;
    settings.pattern.AssignText(pattern.c_str());
    settings.ownFolder = !folder.empty();
    settings.folder.AssignText(folder.c_str());
    settings.keepSourceFolders = keep;
    return settings;
}

// Each track's output under the settings, in track order.
std::vector<std::u16string> Names(const OutputSettings& settings,
                                  const PointerArray<TrackRecord>& tracks, bool decode = false) {
    OutputNamer namer;
    EXPECT_TRUE(namer.Prepare(settings, tracks));
    std::vector<std::u16string> names;
    for (uint32_t i = 0; i < tracks.Count(); ++i) {
        uint32_t length = 0;
        const char16_t* name = namer.Name(*tracks.GetAt(i), decode, length);
        names.emplace_back(name, length);
    }
    return names;
}

std::u16string NameOf(TrackRecord* record, const OutputSettings& settings, bool decode = false) {
    PointerArray<TrackRecord> tracks;
    tracks.Add(record);
    return Names(settings, tracks, decode)[0];
}

std::u16string Pairs(int count) {
    std::u16string text;
    for (int i = 0; i < count; ++i) text += u"\U0001F3B5";
    return text;
}

const std::u16string kAlbumPattern = u"<Interpret>\\<Album>\\<Nr> - <Titel>";

TEST(CheckNamePattern, NamesTheProblemOfEachPattern) {
    struct Row {
        std::u16string pattern;
        PatternProblem problem;
        std::u16string field;
    };
    const Row rows[] = {
        {u"<Quelldatei>", PatternProblem::kNone, u""},
        {kAlbumPattern, PatternProblem::kNone, u""},
        {u"<interpret> - <TITEL>", PatternProblem::kNone, u""},
        {u"\\Musik\\\\<Jahr> <Genre>", PatternProblem::kNone, u""},
        {u"<Künstler> - <Titel>", PatternProblem::kUnknownField, u"<Künstler>"},
        {u"<Titel> <>", PatternProblem::kUnknownField, u"<>"},
        {u"<Album>\\<Titel", PatternProblem::kUnclosedField, u""},
        {u"", PatternProblem::kNoFileName, u""},
        {u"\\\\", PatternProblem::kNoFileName, u""},
        {u"<Album>\\", PatternProblem::kNoFileName, u""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(Utf8(row.pattern));
        const PatternCheck check = CheckNamePattern(row.pattern.c_str());
        EXPECT_EQ(check.problem, row.problem);
        EXPECT_EQ(std::u16string(check.field.Text()), row.field);
        OutputNamer namer;
        PointerArray<TrackRecord> tracks;
        // The settings read an empty pattern as the default one.
        EXPECT_EQ(namer.Prepare(Settings(row.pattern), tracks),
                  row.problem == PatternProblem::kNone || row.pattern.empty());
    }
}

TEST(OutputNamer, ReplacesEveryCharacterWindowsRefusesInAName) {
    std::u16string refused = u"\\/:*?\"<>|";
    for (char16_t unit = 1; unit < 0x20; ++unit) refused += unit;
    for (char16_t unit : refused) {
        SCOPED_TRACE(int(unit));
        const std::u16string title = std::u16string(u"a") + unit + u"b";
        EXPECT_EQ(NameOf(Record(u"D:\\in\\x.wav", {.title = title}), Settings(u"<Titel>", u"E:\\")),
                  u"E:\\a_b.mp3");
    }
}

TEST(OutputNamer, MakesEachPartAValidName) {
    struct Row {
        const char* name;
        Tags tags;
        std::u16string expected;  // below E:\out
    };
    const Row rows[] = {
        {"slash in a value makes no folder",
         {u"AC/DC", u"Back in Black", u"Hells Bells", u"1"},
         u"AC_DC\\Back in Black\\01 - Hells Bells.mp3"},
        {"blanks around a slash stay",
         {u"Yusuf / Cat Stevens", u"Tea", u"Wild World", u"3/12"},
         u"Yusuf _ Cat Stevens\\Tea\\03 - Wild World.mp3"},
        {"trailing dots and blanks go",
         {u"R.E.M.", u"Vol. 2... ", u"Intro . ", u"10"},
         u"R.E.M\\Vol. 2\\10 - Intro.mp3"},
        {"a part of dots only is unknown",
         {u"...", u"..", u".", u""},
         u"Unbekannt\\Unbekannt\\Unbekannt.mp3"},
        {"device names are changed",
         {u"CON", u"nul.live", u"Com1", u""},
         u"CON_\\nul_.live\\Com1_.mp3"},
        {"device names with an extension",
         {u"LPT9", u"aux .x", u"COM\u00B9", u""},
         u"LPT9_\\aux_ .x\\COM\u00B9_.mp3"},
        {"names only like devices stay",
         {u"CONSOLE", u"COM10", u"NULL", u""},
         u"CONSOLE\\COM10\\NULL.mp3"},
        {"empty fields go with their separator",
         {u"", u"", u"Solo", u""},
         u"Unbekannt\\Unbekannt\\Solo.mp3"},
        {"an empty title leaves the number", {u"A", u"B", u"", u"7"}, u"A\\B\\07.mp3"},
        {"blanks only count as empty", {u"  ", u"B", u"   ", u" "}, u"Unbekannt\\B\\Unbekannt.mp3"},
        {"numbers in two digits, others as they are",
         {u"A", u"B", u"T", u"007"},
         u"A\\B\\07 - T.mp3"},
        {"a number that is none", {u"A", u"B", u"T", u"B2"}, u"A\\B\\B2 - T.mp3"},
        {"non-Latin text",
         {u"Земфира", u"東京事変 教育", u"\U0001F3B5 Ünïcödé", u"2"},
         u"Земфира\\東京事変 教育\\02 - \U0001F3B5 Ünïcödé.mp3"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(NameOf(Record(u"D:\\in\\x.wav", row.tags), Settings(kAlbumPattern, u"E:\\out")),
                  u"E:\\out\\" + row.expected);
    }
}

TEST(OutputNamer, LeavesOutTheTextAroundAnEmptyField) {
    struct Row {
        std::u16string pattern;
        Tags tags;
        std::u16string expected;
    };
    const Row rows[] = {
        {u"<Interpret> - <Album> - <Titel>", {u"A", u"", u"T"}, u"A - T"},
        {u"<Interpret> - <Album> - <Titel>", {u"A", u"", u""}, u"A"},
        {u"<Interpret> - <Album> - <Titel>", {u"", u"", u"T"}, u"T"},
        {u"[<Nr>] <Titel> (<Jahr>)", {.title = u"T", .number = u"4"}, u"[04] T"},
        {u"[<Nr>] <Titel> (<Jahr>)", {.title = u"T", .year = u"1999"}, u"T (1999)"},
        {u"Best of <Genre>", {}, u"Unbekannt"},
        {u"Musik", {}, u"Musik"},
        {u"<Quelldatei> (<Genre>)", {.genre = u"Jazz"}, u"x.y (Jazz)"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(Utf8(row.pattern));
        EXPECT_EQ(NameOf(Record(u"D:\\in\\x.y.wav", row.tags), Settings(row.pattern, u"E:\\")),
                  u"E:\\" + row.expected + u".mp3");
    }
}

TEST(OutputNamer, CutsLongPartsSoThatTheWholePathFitsMaxPath) {
    const std::u16string longTitle(300, u't');
    const std::u16string longAlbum(200, u'a');
    struct Row {
        const char* name;
        std::u16string folder;
        Tags tags;
        size_t size;
    };
    const Row rows[] = {
        {"one long part", u"E:\\MP3", {u"A", u"B", longTitle, u"1"}, 259},
        {"two long parts", u"E:\\MP3", {u"A", longAlbum, longTitle, u"1"}, 259},
        {"a deep folder", u"E:\\" + std::u16string(200, u'f'), {u"A", longAlbum, longTitle}, 259},
        // The cut falls between the units of a pair: the pair goes whole.
        {"a cut before a pair", u"E:\\MP3", {u"A", u"B", u"x" + Pairs(130)}, 258},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::u16string name =
            NameOf(Record(u"D:\\in\\x.wav", row.tags), Settings(kAlbumPattern, row.folder));
        EXPECT_EQ(name.size(), row.size);
        EXPECT_EQ(name.substr(0, row.folder.size() + 3), row.folder + u"\\A\\");
        EXPECT_EQ(name.substr(name.size() - 4), u".mp3");
        EXPECT_EQ(Utf8(name).find("\xEF\xBF\xBD"), std::string::npos) << "a pair was split";
    }
    // Beside a source deeper than MAX_PATH leaves room for, only NTFS's limit on a name holds.
    const std::u16string deep = u"D:\\" + std::u16string(300, u'd') + u"\\x.wav";
    const std::u16string name = NameOf(Record(deep, {.title = longTitle}), Settings(u"<Titel>"));
    EXPECT_EQ(name, deep.substr(0, 304) + std::u16string(kLongestPart - 4, u't') + u".mp3");
}

TEST(OutputNamer, TakesTheSuffixOfTheSourcesKind) {
    struct Row {
        std::u16string source;
        bool ownFolder;
        bool decode;
        std::u16string expected;
    };
    const Row rows[] = {
        {u"D:\\in\\x.mp3", false, false, u"D:\\in\\T.mp3.mp3"},
        {u"D:\\in\\x.mp3", true, false, u"E:\\T.mp3"},
        {u"D:\\in\\x.mp3", true, true, u"E:\\T.wav"},
        {u"D:\\in\\x.flac", true, true, u"E:\\T.mp3"},
        {u"D:\\in\\x.wav", false, false, u"D:\\in\\T.mp3"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(Utf8(row.source));
        EXPECT_EQ(NameOf(Record(row.source, {.title = u"T"}),
                         Settings(u"<Titel>", row.ownFolder ? u"E:\\" : u""), row.decode),
                  row.expected);
    }
}

TEST(OutputNamer, BesideTheSourceUnderItsNameIsTheCallRunLinesOutput) {
    for (const std::u16string source : {u"D:\\Musik\\Rock'n'Roll\\01 Intro.mp3", u"D:\\a\\README",
                                        u"D:\\My.Music\\track", u"D:\\b.wav", u"a.b'c"}) {
        SCOPED_TRACE(Utf8(source));
        TrackRecord* record = Record(source);
        const OutputPathParts parts = OutputPathPartsOf(*record, true);
        OutputNamer namer;
        PointerArray<TrackRecord> tracks;
        tracks.Add(record);
        ASSERT_TRUE(namer.Prepare(Settings(u"<Quelldatei>"), tracks));
        EXPECT_TRUE(namer.NamesAsBefore());
        uint32_t length = 0;
        const std::u16string name(namer.Name(*record, true, length));
        EXPECT_EQ(name, source.substr(0, parts.baseLength) + parts.suffix);
    }
}

TEST(OutputNamer, KeepsEachSourcesFolderBelowTheCommonFolder) {
    struct Row {
        const char* name;
        std::vector<std::u16string> sources;
        std::vector<std::u16string> expected;  // below E:\MP3
    };
    const Row rows[] = {
        {"one folder", {u"D:\\M\\A\\1.wav", u"D:\\M\\A\\2.wav"}, {u"1.mp3", u"2.mp3"}},
        {"sister folders, letter case aside",
         {u"D:\\Musik\\A\\1.wav", u"d:\\MUSIK\\B\\C\\2.wav"},
         {u"A\\1.mp3", u"B\\C\\2.mp3"}},
        {"a name's start is no folder",
         {u"D:\\M\\ab\\1.wav", u"D:\\M\\a\\2.wav"},
         {u"ab\\1.mp3", u"a\\2.mp3"}},
        {"a folder and its own", {u"D:\\M\\1.wav", u"D:\\M\\x\\2.wav"}, {u"1.mp3", u"x\\2.mp3"}},
        {"two drives", {u"C:\\a\\1.wav", u"D:\\b\\2.wav"}, {u"C\\a\\1.mp3", u"D\\b\\2.mp3"}},
        // '|' ends the dropped folder a source was found in.
        {"a dropped folder keeps the folders below it",
         {u"D:\\Musik|\\A\\B\\1.wav", u"D:\\Musik|\\A\\B\\2.wav"},
         {u"A\\B\\1.mp3", u"A\\B\\2.mp3"}},
        {"a dropped folder and a dropped file",
         {u"D:\\Musik|\\A\\1.wav", u"D:\\Andere\\2.wav"},
         {u"Musik\\A\\1.mp3", u"Andere\\2.mp3"}},
        {"a dropped drive", {u"D:|\\A\\1.wav"}, {u"A\\1.mp3"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        PointerArray<TrackRecord> tracks;
        for (std::u16string source : row.sources) {
            const size_t root = source.find(u'|');
            if (root != std::u16string::npos) source.erase(root, 1);
            tracks.Add(Record(source));
            if (root != std::u16string::npos) tracks.GetAt(tracks.Count() - 1)->rootLength = root;
        }
        std::vector<std::u16string> expected;
        for (const std::u16string& name : row.expected) expected.push_back(u"E:\\MP3\\" + name);
        EXPECT_EQ(Names(Settings(u"<Quelldatei>", u"E:\\MP3\\", true), tracks), expected);
        // Without the check box every output goes into the folder itself.
        const std::vector<std::u16string> flat =
            Names(Settings(u"<Quelldatei>", u"E:\\MP3"), tracks);
        for (const std::u16string& name : flat)
            EXPECT_EQ(name.find(u'\\', 7), std::u16string::npos) << Utf8(name);
    }
}

TEST(CheckOutputFolder, WantsADriveOrShareAndRoomForNames) {
    struct Row {
        std::u16string folder;
        FolderProblem problem;
        std::u16string root;
    };
    const Row rows[] = {
        {u"D:\\MP3", FolderProblem::kNone, u"D:\\"},
        {u"d:", FolderProblem::kNone, u"d:\\"},
        {u"\\\\server\\share\\MP3", FolderProblem::kNone, u"\\\\server\\share\\"},
        {u"\\\\server\\share", FolderProblem::kNone, u"\\\\server\\share\\"},
        {u"\\\\server", FolderProblem::kNotAbsolute, u""},
        {u"MP3", FolderProblem::kNotAbsolute, u""},
        {u"D:MP3", FolderProblem::kNotAbsolute, u"D:\\"},
        {u"\\MP3", FolderProblem::kNotAbsolute, u""},
        {u"", FolderProblem::kEmpty, u""},
        // Windows drops a part's dots and blanks at its end; "." and ".." are resolved.
        {u"D:\\MP3.\\Auto", FolderProblem::kPartEndsInDotOrBlank, u"D:\\"},
        {u"D:\\MP3 ", FolderProblem::kPartEndsInDotOrBlank, u"D:\\"},
        {u"D:\\...", FolderProblem::kPartEndsInDotOrBlank, u"D:\\"},
        {u"D:\\a\\..\\.\\MP3\\", FolderProblem::kNone, u"D:\\"},
        {u"D:\\" + std::u16string(kLongestOutputFolder - 3, u'x'), FolderProblem::kNone, u"D:\\"},
        {u"D:\\" + std::u16string(kLongestOutputFolder - 2, u'x'), FolderProblem::kTooLong,
         u"D:\\"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(Utf8(row.folder.substr(0, 20)));
        EXPECT_EQ(CheckOutputFolder(row.folder.c_str()), row.problem);
        EXPECT_EQ(std::u16string(RootOfFolder(row.folder.c_str()).Text()), row.root);
    }
}

}  // namespace
