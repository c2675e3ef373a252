// Editing the tags of the selected tracks: common values on a selection change, the
// one-or-many write rule on typing, and the field read.
#include "gui/tracks_fixture.h"
#include "win/control_text_win.h"

namespace {

const int kTagFieldIds[] = {IDE_ARTIST, IDE_ALBUM,        IDE_TITLE, IDE_COMMENT,
                            IDE_YEAR,   IDE_TRACK_NUMBER, IDE_GENRE};

class TagEditingTest : public TracksTest {
  protected:
    // Two tracks: artists 'Queen' and 'queen', album 'X' in both, titles 'A' and 'B',
    // genre 'Rock' and 'Rock ' (trailing blank); a third track is never selected.
    void DropQueenPair() {
        DropFiles(dialog, {u"C:\\q1.wav", u"C:\\q2.wav", u"C:\\other.wav"});
        const char16_t* artists[] = {u"Queen", u"queen", u"Other"};
        const char16_t* titles[] = {u"A", u"B", u"C"};
        const char16_t* genres[] = {u"Rock", u"Rock ", u"Pop"};
        for (int i = 0; i < 3; ++i) {
            Track(i)->fields[kArtist].AssignText(artists[i]);
            Track(i)->fields[kAlbum].AssignText(i < 2 ? u"X" : u"Y");
            Track(i)->fields[kTitle].AssignText(titles[i]);
            Track(i)->fields[kGenre].AssignText(genres[i]);
        }
    }
    bool AllFieldsEnabled(bool enabled) const {
        for (int id : kTagFieldIds) {
            if (FieldEnabled(id) != enabled) return false;
        }
        return true;
    }
};

TEST_F(TagEditingTest, FieldsStartDisabledAndFollowTheSelection) {
    DropQueenPair();
    EXPECT_TRUE(AllFieldsEnabled(false));
    SelectRows(dialog, {0});
    EXPECT_TRUE(AllFieldsEnabled(true));
    SelectRows(dialog, {});
    EXPECT_TRUE(AllFieldsEnabled(false));
    // Deselecting leaves the text of the last selection.
    EXPECT_EQ(ControlText(dialog, IDE_ARTIST), u"Queen");
}

TEST_F(TagEditingTest, OneSelectedTrackShowsAllItsTagsWithoutWritingBack) {
    DropQueenPair();
    Track(2)->fields[kComment].AssignText(u"N");
    Track(2)->fields[kYear].AssignText(u"1999");
    Track(2)->fields[kTrackNumber].AssignText(u"4");
    const WideStringRecord* artistBefore = Track(2)->fields[kArtist].Record();
    SelectRows(dialog, {2});
    const char16_t* expected[] = {u"Other", u"Y", u"C", u"N", u"1999", u"4", u"Pop"};
    for (int i = 0; i < 7; ++i) EXPECT_EQ(ControlText(dialog, kTagFieldIds[i]), expected[i]) << i;
    EXPECT_EQ(Track(2)->fields[kArtist].Record(), artistBefore);  // not rewritten
}

TEST_F(TagEditingTest, SeveralSelectedShowOnlyWhatTheyShareExactly) {
    DropQueenPair();
    SelectRows(dialog, {0, 1});
    EXPECT_EQ(ControlText(dialog, IDE_ARTIST), u"");  // 'Queen' and 'queen' differ
    EXPECT_EQ(ControlText(dialog, IDE_ALBUM), u"X");
    EXPECT_EQ(ControlText(dialog, IDE_TITLE), u"");
    EXPECT_EQ(ControlText(dialog, IDE_GENRE), u"");  // 'Rock' and 'Rock ' differ
}

TEST_F(TagEditingTest, ASetAndAnEmptyValueDifferInEitherOrder) {
    DropFiles(dialog, {u"C:\\a.wav", u"C:\\b.wav"});
    for (int setOne : {0, 1}) {
        SCOPED_TRACE(setOne);
        Track(setOne)->fields[kTitle].AssignText(u"T");
        Track(1 - setOne)->fields[kTitle].Clear();
        SelectRows(dialog, {0, 1});
        EXPECT_EQ(ControlText(dialog, IDE_TITLE), u"");
    }
}

TEST_F(TagEditingTest, TypingWithSeveralSelectedWritesOnlyTheShownValues) {
    DropQueenPair();
    SelectRows(dialog, {0, 1});
    TypeInto(dialog, IDE_TITLE, u"Z");
    EXPECT_EQ(TrackField(0, kTitle), u"Z");
    EXPECT_EQ(TrackField(1, kTitle), u"Z");
    EXPECT_EQ(TrackField(0, kAlbum), u"X");
    EXPECT_EQ(TrackField(1, kAlbum), u"X");
    EXPECT_EQ(TrackField(0, kArtist), u"Queen");  // the empty field wipes neither
    EXPECT_EQ(TrackField(1, kArtist), u"queen");
    EXPECT_EQ(TrackField(1, kGenre), u"Rock ");
    EXPECT_EQ(TrackField(2, kTitle), u"C");  // not selected
}

TEST_F(TagEditingTest, ClearingAFieldClearsOneTrackButNeverSeveral) {
    DropQueenPair();
    SelectRows(dialog, {0, 1});
    ReplaceText(dialog, IDE_ALBUM, u"");
    EXPECT_EQ(TrackField(0, kAlbum), u"X");
    EXPECT_EQ(TrackField(1, kAlbum), u"X");

    SelectRows(dialog, {0});
    ReplaceText(dialog, IDE_ALBUM, u"");
    EXPECT_EQ(TrackField(0, kAlbum), u"");
    EXPECT_EQ(TrackField(1, kAlbum), u"X");
}

TEST_F(TagEditingTest, BlanksAreTrimmedFromWhatIsStored) {
    DropQueenPair();
    Track(0)->fields[kYear].AssignText(u"1975");
    SelectRows(dialog, {0});
    ReplaceText(dialog, IDE_YEAR, u"   ");
    EXPECT_EQ(TrackField(0, kYear), u"");
    ReplaceText(dialog, IDE_GENRE, u" Rock ");
    EXPECT_EQ(TrackField(0, kGenre), u"Rock");
    EXPECT_EQ(ControlText(dialog, IDE_GENRE), u" Rock ");
    ReplaceText(dialog, IDE_COMMENT, u"\tlive \t");
    EXPECT_EQ(TrackField(0, kComment), u"live");
}

TEST_F(TagEditingTest, TextSetByTheProgramIsNotApplied) {
    DropQueenPair();
    SelectRows(dialog, {0});
    ASSERT_EQ(GetFocus(), list);
    SetDlgItemTextW(dialog, IDE_ARTIST, L"Programm");
    PumpMessages();
    EXPECT_EQ(TrackField(0, kArtist), u"Queen");
    // The next keystroke in any field reads every field, that text included.
    TypeInto(dialog, IDE_TITLE, u"!");
    EXPECT_EQ(TrackField(0, kArtist), u"Programm");
    EXPECT_EQ(TrackField(0, kTitle), u"A!");
}

TEST_F(TagEditingTest, ADuplicateRowIsAnIndependentTrack) {
    DropFiles(dialog, {u"C:\\a.wav", u"C:\\a.wav"});
    SelectRows(dialog, {0});
    TypeInto(dialog, IDE_ALBUM, u"Nur eins");
    EXPECT_EQ(TrackField(0, kAlbum), u"Nur eins");
    EXPECT_EQ(TrackField(1, kAlbum), u"");
}

TEST_F(TagEditingTest, TypingRepaintsTheList) {
    DropQueenPair();
    SelectRows(dialog, {0});
    ValidateRect(list, nullptr);
    HWND edit = GetDlgItem(dialog, IDE_GENRE);
    SetFocus(edit);
    SendMessageW(edit, WM_CHAR, u'x', 1);
    RECT update{};
    EXPECT_TRUE(GetUpdateRect(list, &update, FALSE));
    RECT client{};
    GetClientRect(list, &client);
    EXPECT_TRUE(EqualRect(&update, &client));
}

TEST_F(TagEditingTest, FieldReadTrimsBlanksAndTabsAndYieldsTheUntrimmedLength) {
    struct Row {
        const wchar_t* shown;
        const char16_t* read;
        uint32_t length;
    };
    const Row rows[] = {
        {L"", u"", 0},
        {L"  ", u"", 2},
        {L" \t a b \t", u"a b", 8},
        {L"Lame.exe", u"Lame.exe", 8},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "length " << row.length);
        SetDlgItemTextW(dialog, IDE_EXTRA_ARGS, row.shown);
        WideString text;
        text.AssignText(u"old");
        EXPECT_EQ(ReadField(GetDlgItem(dialog, IDE_EXTRA_ARGS), text), row.length);
        EXPECT_EQ(std::u16string(text.Text()), row.read);
    }
}

}  // namespace
