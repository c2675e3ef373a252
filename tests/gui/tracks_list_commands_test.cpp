// The list commands: remove, move up and down, select all and number, each keeping
// the list and the track array in lockstep.
#include <functional>

#include "gui/tracks_fixture.h"

namespace {

using ListCommandsTest = TracksTest;

std::vector<std::u16string> Names(std::initializer_list<int> numbers) {
    std::vector<std::u16string> names;
    for (int n : numbers) names.push_back(Name(n));
    return names;
}

TEST_F(ListCommandsTest, UpMovesTheTrackAboveTheSelectionBelowIt) {
    DropNumbered(6);
    SelectRows(dialog, {2, 4});
    ClickButton(IDB_UP);
    EXPECT_EQ(Paths(), Names({0, 2, 3, 4, 1, 5}));
    EXPECT_EQ(SelectedRows(dialog), (std::vector<int>{1, 3}));
    ExpectLockstep();
}

TEST_F(ListCommandsTest, DownMovesTheTrackBelowTheSelectionAboveIt) {
    DropNumbered(6);
    SelectRows(dialog, {2, 4});
    ClickButton(IDB_DOWN);
    EXPECT_EQ(Paths(), Names({0, 1, 5, 2, 3, 4}));
    EXPECT_EQ(SelectedRows(dialog), (std::vector<int>{3, 5}));
    ExpectLockstep();
}

TEST_F(ListCommandsTest, NothingMovesPastTheEndsOrWithoutSelection) {
    DropNumbered(4);
    struct Row {
        const char* name;
        std::vector<int> selected;
        int button;
    };
    const Row rows[] = {
        {"up from the top", {0, 2}, IDB_UP},
        {"down from the bottom", {1, 3}, IDB_DOWN},
        {"up, nothing selected", {}, IDB_UP},
        {"down, nothing selected", {}, IDB_DOWN},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SelectRows(dialog, row.selected);
        ClickButton(row.button);
        EXPECT_EQ(Paths(), Names({0, 1, 2, 3}));
        EXPECT_EQ(SelectedRows(dialog), row.selected);
        ExpectLockstep();
    }
}

TEST_F(ListCommandsTest, DeleteWithTheListFocusedRemovesTheSelectedTracks) {
    DropNumbered(6);
    Track(1)->fields[kAlbum].AssignText(u"X");
    Track(3)->fields[kAlbum].AssignText(u"X");
    SelectRows(dialog, {1, 3});
    ASSERT_EQ(GetFocus(), list);
    SendKeyThroughLoop(dialog, VK_DELETE);
    EXPECT_EQ(Paths(), Names({0, 2, 4, 5}));
    EXPECT_TRUE(SelectedRows(dialog).empty());
    ExpectLockstep();
    // No selection notification: the fields keep the removed tracks' values and stay enabled.
    EXPECT_EQ(ControlText(dialog, IDE_ALBUM), u"X");
    EXPECT_TRUE(FieldEnabled(IDE_ALBUM));
}

TEST_F(ListCommandsTest, DeleteInAnEditDeletesTextNotTracks) {
    DropNumbered(3);
    SelectRows(dialog, {1});
    ReplaceText(dialog, IDE_ARTIST, u"Queen");
    SendMessageW(GetDlgItem(dialog, IDE_ARTIST), EM_SETSEL, 0, 0);
    SendKeyThroughLoop(dialog, VK_DELETE);
    EXPECT_EQ(Paths(), Names({0, 1, 2}));
    EXPECT_EQ(ControlText(dialog, IDE_ARTIST), u"ueen");
    EXPECT_EQ(TrackField(1, kArtist), u"ueen");
    EXPECT_EQ(SelectedRows(dialog), std::vector<int>{1});
}

TEST_F(ListCommandsTest, TheRemoveButtonRemovesAllSelectedTracks) {
    DropNumbered(8);
    SelectRows(dialog, {0, 1, 4, 7});
    ClickButton(IDB_REMOVE);
    EXPECT_EQ(Paths(), Names({2, 3, 5, 6}));
    ExpectLockstep();
    ClickButton(IDB_REMOVE);  // nothing selected: nothing happens
    EXPECT_EQ(Paths(), Names({2, 3, 5, 6}));
    SelectRows(dialog, {0, 1, 2, 3});
    ClickButton(IDB_REMOVE);
    EXPECT_TRUE(Paths().empty());
    ExpectLockstep();
}

TEST_F(ListCommandsTest, CtrlAOnAnEmptyListDoesNothing) {
    SetFocus(list);
    SendKeyThroughLoop(dialog, 'A', true);
    EXPECT_EQ(ListCount(dialog), 0);
    EXPECT_TRUE(SelectedRows(dialog).empty());
}

TEST_F(ListCommandsTest, CtrlASelectsAllAndShowsWhatTheyShare) {
    DropNumbered(5);
    for (int i = 0; i < 5; ++i) Track(i)->fields[kArtist].AssignText(u"Queen");
    Track(2)->fields[kTitle].AssignText(u"Innuendo");
    SendKeyThroughLoop(dialog, 'A', true);
    EXPECT_EQ(SelectedRows(dialog), (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_TRUE(FieldEnabled(IDE_ARTIST));
    EXPECT_EQ(ControlText(dialog, IDE_ARTIST), u"Queen");
    EXPECT_EQ(ControlText(dialog, IDE_TITLE), u"");
}

// After Ctrl+A the fields must not still show the one track selected before, or the next
// step that applies the fields writes that track's tags into all of them.
TEST_F(ListCommandsTest, AfterCtrlAEveryTrackKeepsItsOwnTags) {
    const char16_t* const titles[] = {u"Intro", u"Song B", u"Song C"};
    struct Step {
        const char* name;
        std::function<void()> act;
        const char16_t* album;  // what every track's album is afterwards
    };
    const Step steps[] = {
        {"typing in Album:", [this] { TypeInto(dialog, IDE_ALBUM, u"Live"); }, u"Live"},
        {"numbering", [this] { ClickButton(IDB_NUMBER); }, u""},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        DropNumbered(3);
        for (int i = 0; i < 3; ++i) {
            Track(i)->fields[kTitle].AssignText(titles[i]);
            Track(i)->fields[kTrackNumber].AssignText(Decimal(7 + i).c_str());
        }
        SelectRows(dialog, {0});
        ASSERT_EQ(ControlText(dialog, IDE_TITLE), u"Intro");
        SetFocus(GetDlgItem(dialog, IDE_ARTIST));
        SendKeyThroughLoop(dialog, 'A', true);
        step.act();
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(TrackField(i, kTitle), titles[i]) << i;
            EXPECT_EQ(TrackField(i, kAlbum), step.album) << i;
        }
        EXPECT_NE(TrackField(1, kTrackNumber), TrackField(0, kTrackNumber));
        SelectRows(dialog, {0, 1, 2});
        ClickButton(IDB_REMOVE);
    }
}

TEST_F(ListCommandsTest, CtrlASelectsNoMoreThanTheFirst32768Rows) {
    DropNumbered(40000);
    ASSERT_EQ(ListCount(dialog), 40000);
    SetFocus(list);
    SendKeyThroughLoop(dialog, 'A', true);
    EXPECT_EQ(SendMessageW(list, LB_GETSELCOUNT, 0, 0), 32768);
    EXPECT_GT(SendMessageW(list, LB_GETSEL, 32767, 0), 0);
    EXPECT_EQ(SendMessageW(list, LB_GETSEL, 32768, 0), 0);
    EXPECT_EQ(SendMessageW(list, LB_GETSEL, 39999, 0), 0);
}

TEST_F(ListCommandsTest, NumberingWithoutSelectionLeavesTheTrackNumberFieldAlone) {
    DropNumbered(12);
    Track(4)->fields[kAlbum].AssignText(u"X");
    SetDlgItemTextW(dialog, IDE_TRACK_NUMBER, L"77");
    ClickButton(IDB_NUMBER);
    for (int i = 0; i < 12; ++i) EXPECT_EQ(TrackField(i, kTrackNumber), Decimal(i + 1)) << i;
    EXPECT_EQ(ControlText(dialog, IDE_TRACK_NUMBER), u"77");
    EXPECT_EQ(TrackField(4, kAlbum), u"X");
}

TEST_F(ListCommandsTest, NumberingWithOneSelectedShowsItsNewNumber) {
    DropNumbered(5);
    Track(2)->fields[kTrackNumber].AssignText(u"9");
    Track(2)->fields[kArtist].AssignText(u"Queen");
    SelectRows(dialog, {2});
    ASSERT_EQ(ControlText(dialog, IDE_TRACK_NUMBER), u"9");
    ClickButton(IDB_NUMBER);
    EXPECT_EQ(ControlText(dialog, IDE_TRACK_NUMBER), u"3");
    EXPECT_EQ(TrackField(2, kTrackNumber), u"3");
    EXPECT_EQ(TrackField(2, kArtist), u"Queen");
    EXPECT_EQ(TrackField(4, kTrackNumber), u"5");
}

TEST_F(ListCommandsTest, NumberingWithSeveralSelectedKeepsTheFreshNumbers) {
    DropNumbered(5);
    for (int i : {1, 3}) {
        Track(i)->fields[kTrackNumber].AssignText(u"7");
        Track(i)->fields[kAlbum].AssignText(u"X");
    }
    SelectRows(dialog, {1, 3});
    ASSERT_EQ(ControlText(dialog, IDE_TRACK_NUMBER), u"7");
    ClickButton(IDB_NUMBER);
    // The old common number must not be written over the new ones.
    EXPECT_EQ(TrackField(1, kTrackNumber), u"2");
    EXPECT_EQ(TrackField(3, kTrackNumber), u"4");
    EXPECT_EQ(ControlText(dialog, IDE_TRACK_NUMBER), u"");
    EXPECT_EQ(TrackField(1, kAlbum), u"X");
    EXPECT_EQ(TrackField(0, kAlbum), u"");
    // Typing afterwards does not bring the old number back either.
    TypeInto(dialog, IDE_ALBUM, u"Y");
    EXPECT_EQ(TrackField(1, kTrackNumber), u"2");
    EXPECT_EQ(TrackField(3, kAlbum), u"XY");
}

}  // namespace
