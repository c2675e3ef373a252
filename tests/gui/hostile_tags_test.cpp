// Hostile tag values typed or pasted into the tag fields: as long as the field takes, only
// blanks, every ASCII punctuation character, script and comment markup, line breaks. Each
// value must reach the encoder's command line exactly as the record holds it, and the
// launcher page must stay whole.
#include <gtest/gtest.h>

#include <cstdio>

#include "support/files_win.h"
#include "gui/harness.h"
#include "gui/hostile_support.h"
#include "resources/control_ids.h"

using namespace hostile;

namespace {

struct TagField {
    int editId;
    int field;
    const char16_t* option;
};

const TagField kTagFields[] = {
    {IDE_ARTIST, kArtist, u"--ta"}, {IDE_ALBUM, kAlbum, u"--tl"},
    {IDE_TITLE, kTitle, u"--tt"},   {IDE_COMMENT, kComment, u"--tc"},
    {IDE_YEAR, kYear, u"--ty"},     {IDE_TRACK_NUMBER, kTrackNumber, u"--tn"},
    {IDE_GENRE, kGenre, u"--tg"},
};

std::u16string TrimBlanksAndTabs(const std::u16string& text) {
    const size_t first = text.find_first_not_of(u" \t");
    if (first == std::u16string::npos) return u"";
    return text.substr(first, text.find_last_not_of(u" \t") - first + 1);
}

class HostileTags : public LauncherTest {
  protected:
    void SetUp() override {
        LauncherTest::SetUp();
        DropFiles(dialog_, {music_ + u"a.wav", music_ + u"b.wav"});
    }

    // Runs the batch, which must leave the tracks as they were, and checks that each track's
    // tag options carry exactly the values its record holds (and none for an empty tag).
    void ExpectTagsReachTheEncoder() {
        std::vector<std::u16string> before;
        for (int track = 0; track < 2; ++track)
            for (int field = 0; field < kFieldCount; ++field)
                before.push_back(TrackField(track, field));
        ASSERT_EQ(Press(), std::vector<std::string>{Written(u"Lame-Aufruf.hta")});
        for (int track = 0, i = 0; track < 2; ++track)
            for (int field = 0; field < kFieldCount; ++field, ++i)
                ASSERT_TRUE(TrackField(track, field) == before[i]) << "the run changed a track";
        const LauncherParts parts = ReadLauncher(Launcher());
        ASSERT_TRUE(parts.readable) << "a script literal of the launcher is broken";
        ASSERT_EQ(parts.trackArguments.size(), 2u);
        for (int track = 0; track < 2; ++track) {
            for (const TagField& tag : kTagFields) {
                SCOPED_TRACE("track " + std::to_string(track) + ", " + Utf8(tag.option));
                const std::u16string value = TrackField(track, tag.field);
                EXPECT_EQ(PrintableText(OptionValue(parts.trackArguments[track], tag.option)),
                          PrintableText(value.empty() ? u"<absent>" : value));
            }
        }
    }

    // The page's script element ends where the template ends it.
    void ExpectPageWhole() {
        const std::u16string page = FromUtf8(Launcher());
        const std::vector<ScriptElement> scripts = FindScriptElements(page);
        ASSERT_EQ(scripts.size(), 1u) << "the page's script elements are not as written";
        ASSERT_NE(scripts[0].contentEnd, std::u16string::npos);
        EXPECT_EQ(Utf8(page.substr(scripts[0].contentEnd)), "</script>\r\n</html>\r\n");
    }
};

TEST_F(HostileTags, PastedHundredThousandCharactersAreKeptAsTheFieldHoldsThem) {
    // Punctuation, quotes and backslashes all the way through, so escaping is tested at length.
    const std::u16string unit = u"Sehr langer Titel \"mit\" 'allem' \\ & % ^ </x> ";
    std::u16string pasted;
    while (pasted.size() < 100000) pasted += unit;
    pasted.resize(100000);
    Watchdog dog(60);
    SelectRows(dialog_, {0, 1});
    Stopwatch watch;
    ASSERT_TRUE(PasteInto(dialog_, IDE_TITLE, pasted));
    const double pasteMs = watch.Milliseconds();

    // The edit takes what its limit allows (30,000 under Wine, 32,767 on Windows); the tracks
    // take exactly that.
    const std::u16string shown = ControlText(dialog_, IDE_TITLE);
    ASSERT_FALSE(shown.empty());
    EXPECT_TRUE(pasted.compare(0, shown.size(), shown) == 0) << "the field changed the text";
    const std::u16string stored = TrimBlanksAndTabs(shown);
    EXPECT_TRUE(TrackField(0, kTitle) == stored);
    EXPECT_TRUE(TrackField(1, kTitle) == stored);

    // Shown again by a change of selection, and written into the launcher whole.
    SelectRows(dialog_, {1});
    EXPECT_TRUE(ControlText(dialog_, IDE_TITLE) == stored);
    ExpectTagsReachTheEncoder();
    ExpectPageWhole();
    std::printf("[ timing   ] paste of 100,000 characters: %.0f ms, the field took %zu\n", pasteMs,
                shown.size());
}

TEST_F(HostileTags, BlankOnlyValuesNeitherWipeNorInvent) {
    SelectRows(dialog_, {0});
    TypeInto(dialog_, IDE_TITLE, u"Eins");
    TypeInto(dialog_, IDE_YEAR, u"1999");
    SelectRows(dialog_, {1});
    TypeInto(dialog_, IDE_TITLE, u"Zwei");
    TypeInto(dialog_, IDE_YEAR, u"1999");

    // Several selected: a field of blanks reads as empty and writes nothing.
    SelectRows(dialog_, {0, 1});
    ReplaceText(dialog_, IDE_YEAR, u"   ");
    ReplaceText(dialog_, IDE_TITLE, u" \t ");
    ASSERT_TRUE(PasteInto(dialog_, IDE_ALBUM, u"\t \t"));
    EXPECT_EQ(Utf8(TrackField(0, kTitle)), "Eins");
    EXPECT_EQ(Utf8(TrackField(1, kTitle)), "Zwei");
    EXPECT_EQ(Utf8(TrackField(0, kYear)), "1999");
    EXPECT_EQ(Utf8(TrackField(1, kYear)), "1999");
    EXPECT_EQ(Utf8(TrackField(0, kAlbum)), "");

    // One selected: blanks clear the tag, as emptying the field does.
    SelectRows(dialog_, {0});
    ReplaceText(dialog_, IDE_YEAR, u"    ");
    EXPECT_EQ(Utf8(TrackField(0, kYear)), "");
    EXPECT_EQ(Utf8(TrackField(0, kTitle)), "Eins");
    ExpectTagsReachTheEncoder();
}

TEST_F(HostileTags, EveryAsciiPunctuationCharacterInEveryField) {
    const std::u16string punctuation = u"!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~";
    // Backslashes in front of a quote and at the end are the hard cases of the encoder's
    // command line; the placeholders must not be filled in inside a value.
    const std::u16string values[] = {
        punctuation,
        u"\\" + punctuation + u"\\\\",
        u"\"\"\"",
        u"''\\'\\\\'",
        u"%callRuns% %lame_exe% %arg_comm% %delOrig%",
        u"a\\\"b\\\\\"c",
        u"^&|<>\"&&^\"",
    };
    SelectRows(dialog_, {0});
    for (size_t i = 0; i < std::size(kTagFields); ++i)
        TypeInto(dialog_, kTagFields[i].editId, values[i]);
    SelectRows(dialog_, {1});
    for (size_t i = 0; i < std::size(kTagFields); ++i)
        TypeInto(dialog_, kTagFields[i].editId, values[(i + 3) % std::size(values)]);
    for (size_t i = 0; i < std::size(kTagFields); ++i) {
        SCOPED_TRACE(Utf8(kTagFields[i].option));
        EXPECT_EQ(PrintableText(TrackField(0, kTagFields[i].field)), PrintableText(values[i]));
        EXPECT_EQ(PrintableText(TrackField(1, kTagFields[i].field)),
                  PrintableText(values[(i + 3) % std::size(values)]));
    }
    ExpectTagsReachTheEncoder();
    ExpectPageWhole();
}

TEST_F(HostileTags, ScriptEndTagsAndCommentMarkersStayInsideTheirLiteral) {
    // In field order: artist, album, title, comment, year, track number, genre. The launcher
    // writes title, artist, album, year, track number, genre, comment, so "<script>" comes
    // before the "<!--" that the comment's "-->" closes (the other order is the next test).
    const std::u16string values[] = {
        u"</script>", u"</SCRIPT >", u"<script>", u"-->", u"<!--", u"<!-- -->", u"]]></html>",
    };
    SelectRows(dialog_, {0, 1});
    for (size_t i = 0; i < std::size(kTagFields); ++i)
        TypeInto(dialog_, kTagFields[i].editId, values[i]);
    for (size_t i = 0; i < std::size(kTagFields); ++i)
        EXPECT_EQ(PrintableText(TrackField(1, kTagFields[i].field)), PrintableText(values[i]));
    ExpectTagsReachTheEncoder();
    ExpectPageWhole();
}

// An HTML parser reads "<!--" and then "<script" inside script data as an escaped block in
// which the page's own "</script>" no longer ends the element: the rest of the page, the
// VBScript block included, becomes part of the first script, which then fails to run.
TEST_F(HostileTags, CommentOpenerBeforeAScriptTagKeepsThePageWhole) {
    SelectRows(dialog_, {0});
    TypeInto(dialog_, IDE_TITLE, u"<!--<script>");
    EXPECT_EQ(Utf8(TrackField(0, kTitle)), "<!--<script>");
    ExpectTagsReachTheEncoder();
    ExpectPageWhole();
}

TEST_F(HostileTags, LineBreaksPastedIntoATagField) {
    // What a single-line edit keeps of a pasted line break is its own affair (Wine keeps the
    // text before the first LF, and a lone CR); the tracks take what the field holds, and the
    // launcher carries it to the encoder unchanged.
    struct Paste {
        int editId;
        int field;
        std::u16string text;
    };
    const Paste pastes[] = {
        {IDE_TITLE, kTitle, u"Zeile eins\r\nZeile zwei"},
        {IDE_COMMENT, kComment, u"vorher\rnachher"},
        {IDE_ARTIST, kArtist, u"a\u2028b\u2029c\u0085d"},
        {IDE_ALBUM, kAlbum, u"\r\n"},
        {IDE_GENRE, kGenre, u"Rock\n"},
    };
    SelectRows(dialog_, {0, 1});
    for (const Paste& paste : pastes) {
        SCOPED_TRACE(PrintableText(paste.text));
        ASSERT_TRUE(PasteInto(dialog_, paste.editId, paste.text));
        const std::u16string stored = TrimBlanksAndTabs(ControlText(dialog_, paste.editId));
        // With two selected an empty field writes nothing, so the tag stays empty.
        EXPECT_EQ(PrintableText(TrackField(0, paste.field)), PrintableText(stored));
        EXPECT_EQ(PrintableText(TrackField(1, paste.field)), PrintableText(stored));
    }
    ExpectTagsReachTheEncoder();
    ExpectPageWhole();
}

}  // namespace
