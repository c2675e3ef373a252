// The layout on resize: the right column and the bottom row keep their distances from the
// right and bottom edges, the file list stretches, the top strip stays.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

#include "gui/harness.h"
#include "resources/control_ids.h"

namespace {

constexpr int kRightColumn[] = {
    IDT_MODE,        IDC_MODE,        IDT_QUALITY, IDC_QUALITY,      IDT_BITRATE,      IDC_BITRATE,
    IDT_MAX_BITRATE, IDC_MAX_BITRATE, IDT_PRESET,  IDC_PRESET,       IDG_TAGS,         IDX_ID3V2,
    IDX_ID3V2_ONLY,  IDB_NUMBER,      IDT_ARTIST,  IDE_ARTIST,       IDB_ARTIST_PIECE, IDT_ALBUM,
    IDE_ALBUM,       IDB_ALBUM_PIECE, IDT_TITLE,   IDE_TITLE,        IDB_TITLE_PIECE,  IDT_COMMENT,
    IDE_COMMENT,     IDT_YEAR,        IDE_YEAR,    IDT_TRACK_NUMBER, IDE_TRACK_NUMBER, IDT_GENRE,
    IDE_GENRE,       IDB_GENRE_MENU,
};
constexpr int kBottomRow[] = {IDB_UP, IDB_DOWN, IDB_REMOVE};
constexpr int kTopStrip[] = {IDE_LAME_PATH, IDB_CHOOSE_LAME, IDX_DELETE_ORIGINALS,
                             IDE_PARAMS,    IDE_EXTRA_ARGS,  IDB_BATCH};

RECT RectInClient(HWND dialog, int id) {
    RECT rect{};
    GetWindowRect(GetDlgItem(dialog, id), &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

SIZE ClientSize(HWND dialog) {
    RECT client;
    GetClientRect(dialog, &client);
    return {client.right, client.bottom};
}

RECT Shifted(RECT rect, int dx, int dy) {
    OffsetRect(&rect, dx, dy);
    return rect;
}

testing::AssertionResult SameRect(const char*, const char*, const RECT& expected, const RECT& got) {
    if (EqualRect(&expected, &got)) return testing::AssertionSuccess();
    return testing::AssertionFailure()
           << "expected (" << expected.left << "," << expected.top << ")-(" << expected.right << ","
           << expected.bottom << "), got (" << got.left << "," << got.top << ")-(" << got.right
           << "," << got.bottom << ")";
}

class LayoutTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dialog = OpenFreshDialog();
        ASSERT_NE(dialog, nullptr);
        GetWindowRect(dialog, &startWindow);
        startClient = ClientSize(dialog);
        for (int id : kRightColumn) start[id] = RectInClient(dialog, id);
        for (int id : kBottomRow) start[id] = RectInClient(dialog, id);
        for (int id : kTopStrip) start[id] = RectInClient(dialog, id);
        start[IDL_FILES] = RectInClient(dialog, IDL_FILES);
    }
    void TearDown() override { CloseDialog(dialog); }

    // Resizes the outer window as a drag on the border does (WM_SIZE is sent on the way).
    void ResizeBy(int dw, int dh, UINT extraFlags = 0, bool pump = true) {
        SetWindowPos(dialog, nullptr, 0, 0, startWindow.right - startWindow.left + dw,
                     startWindow.bottom - startWindow.top + dh,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | extraFlags);
        if (pump) PumpMessages();
    }

    // Every control where the client size's difference from the start puts it.
    void ExpectLaidOutForCurrentSize() {
        const SIZE now = ClientSize(dialog);
        const int dx = now.cx - startClient.cx;
        const int dy = now.cy - startClient.cy;
        SCOPED_TRACE(testing::Message() << "client grown by " << dx << " x " << dy);
        for (int id : kRightColumn) {
            SCOPED_TRACE(id);
            EXPECT_PRED_FORMAT2(SameRect, Shifted(start[id], dx, 0), RectInClient(dialog, id));
        }
        for (int id : kBottomRow) {
            SCOPED_TRACE(id);
            EXPECT_PRED_FORMAT2(SameRect, Shifted(start[id], 0, dy), RectInClient(dialog, id));
        }
        for (int id : kTopStrip) {
            SCOPED_TRACE(id);
            EXPECT_PRED_FORMAT2(SameRect, start[id], RectInClient(dialog, id));
        }
        const RECT list = RectInClient(dialog, IDL_FILES);
        EXPECT_EQ(list.left, start[IDL_FILES].left);
        EXPECT_EQ(list.top, start[IDL_FILES].top);
        EXPECT_EQ(RectInClient(dialog, IDG_TAGS).left - list.right, AtScreenDpi(4));
        EXPECT_EQ(RectInClient(dialog, IDB_UP).top - list.bottom, AtScreenDpi(3));
    }

    HWND dialog = nullptr;
    RECT startWindow{};
    SIZE startClient{};
    std::map<int, RECT> start;
};

TEST_F(LayoutTest, WiderAndTallerMovesTheColumnAndTheRowByTheDifference) {
    // At 200 percent the dialog nearly fills the test screen: it grows by what still fits.
    const int wider = std::min<int>(
        100, GetSystemMetrics(SM_CXMAXTRACK) - (startWindow.right - startWindow.left));
    ResizeBy(wider, 50);
    const SIZE now = ClientSize(dialog);
    EXPECT_EQ(now.cx - startClient.cx, wider);
    EXPECT_EQ(now.cy - startClient.cy, 50);
    ExpectLaidOutForCurrentSize();
    // The template's own gaps are a pixel or so off; the first layout makes them 4 and 3.
    const RECT list = RectInClient(dialog, IDL_FILES);
    const RECT startList = start[IDL_FILES];
    const int startGapRight = start[IDG_TAGS].left - startList.right;
    const int startGapBottom = start[IDB_UP].top - startList.bottom;
    EXPECT_EQ(list.right - list.left,
              startList.right - startList.left + wider + startGapRight - AtScreenDpi(4));
    EXPECT_EQ(list.bottom - list.top,
              startList.bottom - startList.top + 50 + startGapBottom - AtScreenDpi(3));
}

TEST_F(LayoutTest, BackToTheStartSizeRestoresEveryPosition) {
    ResizeBy(100, 50);
    ResizeBy(0, 0);
    for (int id : kRightColumn) EXPECT_PRED_FORMAT2(SameRect, start[id], RectInClient(dialog, id));
    for (int id : kBottomRow) EXPECT_PRED_FORMAT2(SameRect, start[id], RectInClient(dialog, id));
    ExpectLaidOutForCurrentSize();
}

TEST_F(LayoutTest, AnySequenceOfSizesKeepsTheGaps) {
    std::mt19937 random(1234);
    std::uniform_int_distribution<int> width(0, 600), height(0, 400);
    for (int step = 0; step < 25; ++step) {
        SCOPED_TRACE(step);
        ResizeBy(width(random), height(random));
        ExpectLaidOutForCurrentSize();
    }
}

TEST_F(LayoutTest, MinimisingAndRestoringMovesNothing) {
    ResizeBy(80, 30);
    std::map<int, RECT> before;
    for (const auto& [id, rect] : start) before[id] = RectInClient(dialog, id);
    auto expectUnmoved = [&] {
        for (const auto& [id, rect] : before) {
            SCOPED_TRACE(id);
            EXPECT_PRED_FORMAT2(SameRect, rect, RectInClient(dialog, id));
        }
    };
    ShowWindow(dialog, SW_MINIMIZE);
    PumpMessages();
    ASSERT_TRUE(IsIconic(dialog));
    {
        SCOPED_TRACE("minimised");
        expectUnmoved();
    }
    ShowWindow(dialog, SW_RESTORE);
    PumpMessages();
    SCOPED_TRACE("restored");
    expectUnmoved();
}

TEST_F(LayoutTest, ResizeInvalidatesTheWholeDialogWithoutPaintingAtOnce) {
    UpdateWindow(dialog);
    // Without the system's own redraw, what is invalid comes from the layout alone.
    ResizeBy(60, 40, SWP_NOREDRAW, false);
    RECT invalid, client;
    ASSERT_TRUE(GetUpdateRect(dialog, &invalid, FALSE));
    GetClientRect(dialog, &client);
    EXPECT_PRED_FORMAT2(SameRect, client, invalid);
}

TEST_F(LayoutTest, UnchangedSizeRepaintsNothing) {
    ResizeBy(60, 40);
    UpdateWindow(dialog);
    const SIZE now = ClientSize(dialog);
    SendMessageW(dialog, WM_SIZE, SIZE_RESTORED, MAKELPARAM(now.cx, now.cy));
    RECT invalid;
    EXPECT_FALSE(GetUpdateRect(dialog, &invalid, FALSE));
    ExpectLaidOutForCurrentSize();
}

}  // namespace
