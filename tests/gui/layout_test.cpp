// The layout on resize: the right column and the bottom row keep their distances from the
// right and bottom edges, the file list stretches, the top strip stays.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

#include "gui/harness.h"
#include "resources/control_ids.h"

namespace {

// Where a control goes when the client area grows by dx, dy, read from where it starts: below
// the file list it keeps its distance from the bottom edge; right of the list and not above it,
// from the right edge; anything else (the strip above the list) stays.
enum class Anchor { kStays, kRight, kBottom };

RECT RectInClient(HWND dialog, HWND control) {
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}
RECT RectInClient(HWND dialog, int id) {
    return RectInClient(dialog, GetDlgItem(dialog, id));
}

Anchor AnchorOf(const RECT& control, const RECT& list) {
    if (control.top >= list.bottom) return Anchor::kBottom;
    if (control.left >= list.right && control.top >= list.top) return Anchor::kRight;
    return Anchor::kStays;
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
        list = GetDlgItem(dialog, IDL_FILES);
        startList = RectInClient(dialog, list);
        for (HWND child = GetWindow(dialog, GW_CHILD); child;
             child = GetWindow(child, GW_HWNDNEXT)) {
            if (child != list) start[child] = RectInClient(dialog, child);
        }
        ASSERT_EQ(start.size(), 45u);
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
        for (const auto& [control, rect] : start) {
            SCOPED_TRACE(testing::Message() << "control " << GetDlgCtrlID(control));
            const Anchor anchor = AnchorOf(rect, startList);
            const RECT expected = Shifted(rect, anchor == Anchor::kRight ? dx : 0,
                                          anchor == Anchor::kBottom ? dy : 0);
            EXPECT_PRED_FORMAT2(SameRect, expected, RectInClient(dialog, control));
        }
        const RECT listNow = RectInClient(dialog, list);
        EXPECT_EQ(listNow.left, startList.left);
        EXPECT_EQ(listNow.top, startList.top);
        EXPECT_EQ(RectInClient(dialog, IDG_TAGS).left - listNow.right, AtScreenDpi(4));
        EXPECT_EQ(RectInClient(dialog, IDB_UP).top - listNow.bottom, AtScreenDpi(3));
    }

    HWND dialog = nullptr;
    RECT startWindow{};
    SIZE startClient{};
    HWND list = nullptr;
    RECT startList{};
    std::map<HWND, RECT> start;  // every control but the list
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
    const RECT listNow = RectInClient(dialog, list);
    const int startGapRight = start[GetDlgItem(dialog, IDG_TAGS)].left - startList.right;
    const int startGapBottom = start[GetDlgItem(dialog, IDB_UP)].top - startList.bottom;
    EXPECT_EQ(listNow.right - listNow.left,
              startList.right - startList.left + wider + startGapRight - AtScreenDpi(4));
    EXPECT_EQ(listNow.bottom - listNow.top,
              startList.bottom - startList.top + 50 + startGapBottom - AtScreenDpi(3));
}

TEST_F(LayoutTest, BackToTheStartSizeRestoresEveryPosition) {
    ResizeBy(100, 50);
    ResizeBy(0, 0);
    for (const auto& [control, rect] : start)
        EXPECT_PRED_FORMAT2(SameRect, rect, RectInClient(dialog, control));
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
    std::map<HWND, RECT> before;
    for (const auto& [control, rect] : start) before[control] = RectInClient(dialog, control);
    before[list] = RectInClient(dialog, list);
    auto expectUnmoved = [&] {
        for (const auto& [control, rect] : before) {
            SCOPED_TRACE(testing::Message() << "control " << GetDlgCtrlID(control));
            EXPECT_PRED_FORMAT2(SameRect, rect, RectInClient(dialog, control));
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
