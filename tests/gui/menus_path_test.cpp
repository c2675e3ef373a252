// The "<" buttons beside "Künstler:", "Album:" and "Titel:": the menu of path pieces.
#include <gtest/gtest.h>

#include "gui/harness.h"
#include "gui/menu_capture.h"
#include "resources/control_ids.h"

namespace {

class PathMenuTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dialog = OpenFreshDialog();
        ASSERT_NE(dialog, nullptr);
    }
    void TearDown() override { CloseDialog(dialog); }

    HWND dialog = nullptr;
};

TEST_F(PathMenuTest, OffersThePiecesAndPutsTheChosenOneIntoTheField) {
    const std::u16string path = u"D:\\Musik\\Queen - Innuendo\\03 - Headlong.mp3";
    DropFiles(dialog, {path});
    SelectRows(dialog, {0});

    MenuAnswer answer(3);
    const POINT click = ClickButton(dialog, IDB_ALBUM_PIECE);

    const SeenMenu& menu = answer.Seen();
    ASSERT_EQ(menu.timesShown, 1);
    EXPECT_EQ(menu.owner, dialog);
    EXPECT_EQ(menu.Texts(), (std::vector<std::u16string>{u"D:", u"Musik", u"Queen - Innuendo",
                                                         u"03 - Headlong", u"03", u"Headlong"}));
    for (size_t i = 0; i < menu.items.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(menu.items[i].id, i + 1);
        EXPECT_EQ(menu.items[i].type, static_cast<UINT>(MFT_STRING));  // one flat column
        EXPECT_FALSE(menu.items[i].IsGrey());
    }
    // The menu opens where the button was clicked.
    EXPECT_EQ(menu.windowRect.left, click.x);
    EXPECT_EQ(menu.windowRect.top, click.y);

    EXPECT_EQ(ControlText(dialog, IDE_ALBUM), u"Queen - Innuendo");
    EXPECT_EQ(TrackField(0, kAlbum), u"Queen - Innuendo");
    EXPECT_EQ(TrackField(0, kPath), path);
}

TEST_F(PathMenuTest, EachButtonFillsItsOwnField) {
    DropFiles(dialog, {u"E:\\mp3\\The_Beatles-Help.wav"});
    SelectRows(dialog, {0});
    const struct {
        int button;
        int field;
        int tag;
        UINT choose;
        const char16_t* piece;
    } cases[] = {
        {IDB_ARTIST_PIECE, IDE_ARTIST, kArtist, 4, u"The_Beatles"},
        {IDB_ALBUM_PIECE, IDE_ALBUM, kAlbum, 2, u"mp3"},
        {IDB_TITLE_PIECE, IDE_TITLE, kTitle, 5, u"Help"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.button);
        MenuAnswer answer(c.choose);
        ClickButton(dialog, c.button);
        EXPECT_EQ(answer.Seen().items.size(), 7u);
        EXPECT_EQ(ControlText(dialog, c.field), c.piece);
        EXPECT_EQ(TrackField(0, c.tag), c.piece);
    }
    EXPECT_EQ(TrackField(0, kPath), u"E:\\mp3\\The_Beatles-Help.wav");
}

TEST_F(PathMenuTest, KeepsAmpersandsOfTheChosenPiece) {
    DropFiles(dialog, {u"C:\\Simon & Garfunkel\\Mrs. Robinson.mp3"});
    SelectRows(dialog, {0});
    MenuAnswer answer(2);
    ClickButton(dialog, IDB_ARTIST_PIECE);
    ASSERT_GE(answer.Seen().items.size(), 2u);
    EXPECT_EQ(answer.Seen().items[1].text, u"Simon & Garfunkel");
    EXPECT_EQ(ControlText(dialog, IDE_ARTIST), u"Simon & Garfunkel");
    EXPECT_EQ(TrackField(0, kArtist), u"Simon & Garfunkel");
}

TEST_F(PathMenuTest, OffersTheFirstSelectedTrackAndFillsEverySelectedOne) {
    DropFiles(dialog, {u"C:\\A\\One.mp3", u"D:\\Queen\\Innuendo\\Two.mp3", u"E:\\X\\Three.mp3"});
    SelectRows(dialog, {1, 2});
    MenuAnswer answer(2);
    ClickButton(dialog, IDB_ARTIST_PIECE);
    EXPECT_EQ(answer.Seen().Texts(),
              (std::vector<std::u16string>{u"D:", u"Queen", u"Innuendo", u"Two"}));
    EXPECT_EQ(TrackField(0, kArtist), u"");
    EXPECT_EQ(TrackField(1, kArtist), u"Queen");
    EXPECT_EQ(TrackField(2, kArtist), u"Queen");
}

TEST_F(PathMenuTest, DismissedMenuStillAppliesTheFields) {
    DropFiles(dialog, {u"C:\\Queen\\Innuendo.mp3"});
    SelectRows(dialog, {0});
    // Text set by the program, not typed: nothing is applied yet.
    SetDlgItemTextW(dialog, IDE_TITLE, L"Headlong");
    ASSERT_EQ(TrackField(0, kTitle), u"");

    MenuAnswer answer(0);
    ClickButton(dialog, IDB_ARTIST_PIECE);
    EXPECT_EQ(answer.Seen().timesShown, 1);
    EXPECT_EQ(ControlText(dialog, IDE_ARTIST), u"");
    EXPECT_EQ(TrackField(0, kTitle), u"Headlong");
}

TEST_F(PathMenuTest, ShowsNoMenuWithoutASelectionOrAPathToCut) {
    DropFiles(dialog, {u"Notiz.mp3"});
    {
        MenuAnswer answer(1);
        ClickButton(dialog, IDB_TITLE_PIECE);
        EXPECT_EQ(answer.Seen().timesShown, 0);
    }
    SelectRows(dialog, {0});
    SetDlgItemTextW(dialog, IDE_ALBUM, L"Best Of");
    MenuAnswer answer(1);
    ClickButton(dialog, IDB_TITLE_PIECE);
    // A name without a backslash offers nothing, yet it had a path: the fields are applied.
    EXPECT_EQ(answer.Seen().timesShown, 0);
    EXPECT_EQ(TrackField(0, kAlbum), u"Best Of");
    EXPECT_EQ(TrackField(0, kPath), u"Notiz.mp3");
}

}  // namespace
