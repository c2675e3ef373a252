// Dropped files become tracks and rows; the owner-drawn rows as the list paints them.
#include <shlobj.h>

#include <algorithm>
#include <cstring>

#include "gui/tracks_fixture.h"
#include "tracks/file_list_win.h"
#include "tracks/tag_editing_win.h"

namespace {

using FileListTest = TracksTest;

TEST_F(FileListTest, DroppedFilesAppendInShellOrderDuplicatesIncluded) {
    DropFiles(dialog, {u"C:\\Musik\\b.wav", u"C:\\Musik\\a.wav", u"C:\\Musik\\c.flac"});
    DropFiles(dialog, {u"C:\\Musik\\a.wav"});
    EXPECT_EQ(Paths(), (std::vector<std::u16string>{u"C:\\Musik\\b.wav", u"C:\\Musik\\a.wav",
                                                    u"C:\\Musik\\c.flac", u"C:\\Musik\\a.wav"}));
    ExpectLockstep();
    EXPECT_NE(Track(1), Track(3));  // a second, independent record
    for (int i = 0; i < 4; ++i) {
        for (int field = kFirstTag; field <= kLastTag; ++field) {
            EXPECT_TRUE(Track(i)->fields[field].IsEmpty()) << i << "/" << field;
        }
    }
}

TEST_F(FileListTest, FoldersAreTakenAsTheyComeAndOneCharacterNamesSkipped) {
    DropFiles(dialog, {u"C:\\Musik", u"x", u"ab", u"C:\\Musik\\Ordner\\"});
    EXPECT_EQ(Paths(), (std::vector<std::u16string>{u"C:\\Musik", u"ab", u"C:\\Musik\\Ordner\\"}));
    ExpectLockstep();
}

TEST_F(FileListTest, APathLongerThan276CharactersArrivesWhole) {
    std::u16string longPath = u"C:\\";
    while (longPath.size() < 700) longPath += u"Ein sehr langer Ordnername\\";
    longPath += u"Lied.wav";
    DropFiles(dialog, {longPath, u"C:\\kurz.wav"});
    EXPECT_EQ(Paths(), (std::vector<std::u16string>{longPath, u"C:\\kurz.wav"}));
    ExpectLockstep();
}

TEST_F(FileListTest, ADropBlockTheWalkRefusesStillArrivesWholeThroughTheShell) {
    // Wide names at an odd offset: not read directly, but asked of DragQueryFileW.
    std::u16string longPath = u"C:\\";
    while (longPath.size() < 500) longPath += u"Unterordner\\";
    longPath += u"Lied.wav";
    const std::vector<std::u16string> names = {longPath, u"y", u"C:\\b.wav"};
    std::vector<char16_t> units;
    for (const auto& name : names) {
        units.insert(units.end(), name.begin(), name.end());
        units.push_back(u'\0');
    }
    units.push_back(u'\0');
    const size_t offset = sizeof(DROPFILES) + 1;
    HGLOBAL drop = GlobalAlloc(GHND, offset + units.size() * sizeof(char16_t));
    auto* bytes = static_cast<BYTE*>(GlobalLock(drop));
    auto* header = reinterpret_cast<DROPFILES*>(bytes);
    header->pFiles = static_cast<DWORD>(offset);
    header->fWide = TRUE;
    std::memcpy(bytes + offset, units.data(), units.size() * sizeof(char16_t));
    GlobalUnlock(drop);
    SendMessageW(dialog, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
    EXPECT_EQ(Paths(), (std::vector<std::u16string>{longPath, u"C:\\b.wav"}));
    ExpectLockstep();
}

TEST_F(FileListTest, DroppingKeepsTheSelectionAndTheTagFields) {
    DropFiles(dialog, {u"C:\\a.wav", u"C:\\b.wav"});
    Track(1)->fields[kAlbum].AssignText(u"X");
    SelectRows(dialog, {1});
    DropFiles(dialog, {u"C:\\c.wav"});
    EXPECT_EQ(SelectedRows(dialog), std::vector<int>{1});
    EXPECT_EQ(ControlText(dialog, IDE_ALBUM), u"X");
    EXPECT_TRUE(FieldEnabled(IDE_ALBUM));
    ExpectLockstep();
}

TEST_F(FileListTest, RecordOfRowIsTheRowsItemData) {
    DropFiles(dialog, {u"C:\\a.wav", u"C:\\b.wav"});
    EXPECT_EQ(RecordOfRow(list, 0), Track(0));
    EXPECT_EQ(RecordOfRow(list, 1), Track(1));
    EXPECT_EQ(RecordOfRow(list, 2), nullptr);
    EXPECT_FALSE(AddRecordToList(list, nullptr));
    EXPECT_EQ(ListCount(dialog), 2);
}

// ---- painting: the list paints into a memory bitmap through WM_PRINTCLIENT, which sends
// the real WM_DRAWITEM of every visible row to the dialog ----

struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> bgr;  // 0x00RRGGBB per pixel, top row first
    uint32_t At(int x, int y) const { return bgr[static_cast<size_t>(y) * width + x]; }
};

bool IsReddish(uint32_t pixel) {
    const int r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
    return r > 120 && r - g > 80 && r - b > 80;
}
bool IsDarkNeutral(uint32_t pixel) {
    const int r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
    return r < 110 && g < 110 && b < 110;
}
bool IsInk(uint32_t pixel) {
    return (pixel & 0xFFFFFF) != 0xFFFFFF;
}

// Paints the list's client area on white and returns its pixels. Drawn transparently,
// text hidden under later text's background stays visible.
Pixels PaintList(HWND list, int backgroundMode = OPAQUE) {
    RECT client;
    GetClientRect(list, &client);
    Pixels pixels;
    pixels.width = client.right;
    pixels.height = client.bottom;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = pixels.width;
    info.bmiHeader.biHeight = -pixels.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    std::memset(bits, 0xFF, static_cast<size_t>(pixels.width) * pixels.height * 4);
    SetBkMode(dc, backgroundMode);
    SendMessageW(list, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    GdiFlush();
    const auto* words = static_cast<const uint32_t*>(bits);
    pixels.bgr.assign(words, words + static_cast<size_t>(pixels.width) * pixels.height);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return pixels;
}

RECT RowRect(HWND list, int row) {
    RECT rect{};
    SendMessageW(list, LB_GETITEMRECT, row, reinterpret_cast<LPARAM>(&rect));
    return rect;
}

struct InkCount {
    int reddish = 0;
    int darkNeutral = 0;
    int ink = 0;
    int rightmost = -1;
};

InkCount CountInk(const Pixels& pixels, const RECT& area) {
    InkCount count;
    for (int y = area.top; y < area.bottom && y < pixels.height; ++y) {
        for (int x = area.left; x < area.right && x < pixels.width; ++x) {
            const uint32_t p = pixels.At(x, y);
            if (!IsInk(p)) continue;
            ++count.ink;
            if (IsReddish(p)) ++count.reddish;
            if (IsDarkNeutral(p)) ++count.darkNeutral;
            if (x > count.rightmost) count.rightmost = x;
        }
    }
    return count;
}

TEST_F(FileListTest, SelectedRowsArePaintedRedAndOthersNot) {
    DropFiles(dialog, {u"C:\\Musik\\eins.wav", u"C:\\Musik\\zwei.wav", u"C:\\Musik\\drei.wav"});
    SelectRows(dialog, {1});
    const Pixels pixels = PaintList(list);
    const InkCount unselected = CountInk(pixels, RowRect(list, 0));
    const InkCount selected = CountInk(pixels, RowRect(list, 1));
    EXPECT_GT(selected.reddish, 20);
    EXPECT_EQ(selected.darkNeutral, 0);
    EXPECT_GT(unselected.darkNeutral, 20);
    EXPECT_EQ(unselected.reddish, 0);

    // Deselected, the row turns back to the list's normal text colour.
    SelectRows(dialog, {});
    const InkCount after = CountInk(PaintList(list), RowRect(list, 1));
    EXPECT_EQ(after.reddish, 0);
    EXPECT_GT(after.darkNeutral, 20);
}

TEST_F(FileListTest, NothingButTextIsPainted) {
    // No background fill and no highlight: outside the glyphs the white below stays white.
    DropFiles(dialog, {u"C:\\a.wav", u"C:\\b.wav"});
    SelectRows(dialog, {0});
    const Pixels pixels = PaintList(list);
    const RECT row = RowRect(list, 0);
    const InkCount ink = CountInk(pixels, row);
    const int area = (row.right - row.left) * (row.bottom - row.top);
    EXPECT_GT(ink.ink, 0);
    EXPECT_LT(ink.ink * 4, area);
    // The top pixel line and the first two columns lie outside the text rectangle.
    for (int x = row.left; x < row.right; ++x) EXPECT_FALSE(IsInk(pixels.At(x, row.top))) << x;
    for (int y = row.top; y < row.bottom; ++y) {
        EXPECT_FALSE(IsInk(pixels.At(row.left, y)));
        EXPECT_FALSE(IsInk(pixels.At(row.left + 1, y)));
    }
}

// Width and ink of a text as drawn in the list's font, on a canvas tall enough for all of it.
struct DrawnText {
    int width = 0;
    int ink = 0;
    POINT firstInk = {-1, -1};  // leftmost column and top line with ink, from the text's origin
};

DrawnText DrawUnclipped(HWND list, const wchar_t* text) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ oldFont =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(list, WM_GETFONT, 0, 0)));
    const int length = static_cast<int>(wcslen(text));
    SIZE extent{};
    GetTextExtentPoint32W(dc, text, length, &extent);
    const int width = extent.cx + 20, height = extent.cy * 3;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    std::memset(bits, 0xFF, static_cast<size_t>(width) * height * 4);
    RECT where = {10, extent.cy, width, height};
    DrawTextW(dc, text, length, &where, DT_NOCLIP | DT_NOPREFIX);
    GdiFlush();
    DrawnText drawn;
    drawn.width = extent.cx;
    const auto* words = static_cast<const uint32_t*>(bits);
    drawn.firstInk = {width, height};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (!IsInk(words[y * width + x])) continue;
            ++drawn.ink;
            drawn.firstInk.x = std::min<LONG>(drawn.firstInk.x, x - where.left);
            drawn.firstInk.y = std::min<LONG>(drawn.firstInk.y, y - where.top);
        }
    }
    SelectObject(dc, oldBitmap);
    SelectObject(dc, oldFont);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return drawn;
}

TEST_F(FileListTest, LongPathsEndBeforeTheFlagsAndAllNineFlagCharactersAreInTheRow) {
    std::u16string longPath = u"C:\\";
    while (longPath.size() < 400) longPath += u"Sehr langer Ordnername\\";
    longPath += u"Lied.wav";
    DropFiles(dialog, {u"C:\\k.wav", longPath});
    // Every tag set: the flags are the seven letters, the widest the column must take.
    for (int track = 0; track < 2; ++track) {
        for (int field = kFirstTag; field <= kLastTag; ++field)
            Track(track)->fields[field].AssignText(u"x");
    }
    // Transparent: a path running under the flags would show as a difference there.
    const Pixels pixels = PaintList(list, TRANSPARENT);
    const RECT shortRow = RowRect(list, 0);
    const RECT longRow = RowRect(list, 1);
    const DrawnText flags = DrawUnclipped(list, L"  KATNJ#G");
    ASSERT_GT(flags.ink, 0);

    // The rows differ only in the path; where they differ must lie left of the flags.
    int rightmostPathInk = -1;
    for (int y = 0; y < shortRow.bottom - shortRow.top; ++y) {
        for (int x = 0; x < longRow.right; ++x) {
            if (pixels.At(x, shortRow.top + y) != pixels.At(x, longRow.top + y))
                rightmostPathInk = std::max(rightmostPathInk, x);
        }
    }
    EXPECT_LT(rightmostPathInk, longRow.right - flags.width);
    // The long path fills its part of the row up to near the flags.
    EXPECT_GT(rightmostPathInk, longRow.right - flags.width - AtScreenDpi(15));

    // Every pixel of the nine characters made it into the row: nothing cut off at the
    // bottom, top or left.
    RECT flagPart = shortRow;
    flagPart.left = shortRow.right - flags.width;
    EXPECT_EQ(CountInk(pixels, flagPart).ink, flags.ink);
}

TEST_F(FileListTest, TextStandsAtItsOffsetsFromTheRowCorner) {
    DropFiles(dialog, {u"C:\\a.wav", u"C:\\b.wav"});
    const Pixels pixels = PaintList(list);
    const RECT row = RowRect(list, 1);
    POINT firstInk = {row.right, row.bottom};
    for (int y = row.top; y < row.bottom; ++y) {
        for (int x = row.left; x < row.right; ++x) {
            if (!IsInk(pixels.At(x, y))) continue;
            firstInk.x = std::min<LONG>(firstInk.x, x);
            firstInk.y = std::min<LONG>(firstInk.y, y);
        }
    }
    // 2 pixels from the left and 1 from the top at 96 DPI, in proportion at other scales.
    const DrawnText path = DrawUnclipped(list, L"C:\\b.wav");
    EXPECT_EQ(firstInk.x - row.left, AtScreenDpi(2) + path.firstInk.x);
    EXPECT_EQ(firstInk.y - row.top, AtScreenDpi(1) + path.firstInk.y);
}

TEST_F(FileListTest, AnAmpersandInAPathIsShownAsItIs) {
    DropFiles(dialog, {u"C:\\AB", u"C:\\A&B"});
    const Pixels pixels = PaintList(list);
    const int flagsWidth = DrawUnclipped(list, L"  -------").width;
    RECT plain = RowRect(list, 0);
    RECT withAmpersand = RowRect(list, 1);
    plain.right -= flagsWidth;
    withAmpersand.right -= flagsWidth;
    const int ampersandWidth = DrawUnclipped(list, L"&").width;
    // Drawn as a mnemonic prefix it would take no room; drawn as text it takes its width.
    const int grown = CountInk(pixels, withAmpersand).rightmost - CountInk(pixels, plain).rightmost;
    EXPECT_GE(grown, ampersandWidth - 1);
}

TEST_F(FileListTest, ARowWithoutARecordPaintsNothing) {
    DropFiles(dialog, {u"C:\\a.wav"});
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_LISTBOX;
    item.CtlID = IDL_FILES;
    item.itemID = static_cast<UINT>(-1);
    item.itemAction = ODA_FOCUS;
    item.itemState = ODS_SELECTED | ODS_FOCUS;
    item.hwndItem = list;
    const ULONG_PTR noRecords[] = {0, static_cast<ULONG_PTR>(-1)};
    for (ULONG_PTR data : noRecords) {
        Pixels pixels;
        HDC dc = CreateCompatibleDC(nullptr);
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), 60, -20, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ old = SelectObject(dc, bitmap);
        std::memset(bits, 0xFF, 60 * 20 * 4);
        item.hDC = dc;
        item.rcItem = {0, 0, 60, 20};
        item.itemData = data;
        SendMessageW(dialog, WM_DRAWITEM, IDL_FILES, reinterpret_cast<LPARAM>(&item));
        GdiFlush();
        const auto* words = static_cast<const uint32_t*>(bits);
        int ink = 0;
        for (int i = 0; i < 60 * 20; ++i) ink += IsInk(words[i]) ? 1 : 0;
        EXPECT_EQ(ink, 0) << "item data " << data;
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
}

}  // namespace
