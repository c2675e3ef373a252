// The dialog at 96, 120, 144 and 192 DPI. The system DPI is read once, when a process starts:
// each scale gets a start of this test program of its own, with the prefix's LogPixels set
// for it, and runs there the tests that must hold at every scale. A move to a display of
// another scale (WM_DPICHANGED, which Wine never sends) is compared with a dialog the
// dialog manager made from the same template with its font as large as at the new DPI.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/dialog_template_win.h"
#include "gui/harness.h"
#include "resources/control_ids.h"

namespace {

const wchar_t kExpectedDpiVariable[] = L"TONSCHLEUDER_EXPECTED_DPI";
const wchar_t kStartedEventVariable[] = L"TONSCHLEUDER_SCALE_STARTED";
// What must hold at every scale: the layout, the painted rows, the drop-down width, and
// the checks below that only a scaled start can make.
const wchar_t kAtEveryScale[] =
    L"LayoutTest.*:FileListTest.*:OptionLists.StartWithTheirEntriesAndStartSelections:"
    L"DISABLED_AtDisplayScale.*:DISABLED_SettingsAtDisplayScale.*";

std::wstring Variable(const wchar_t* name) {
    wchar_t value[256] = {};
    const DWORD length = GetEnvironmentVariableW(name, value, 256);
    return length > 0 && length < 256 ? std::wstring(value) : std::wstring();
}

// In a start at another scale: tells the starting test, as soon as this process has its DPI,
// that the registry value may go back.
class StartedSignal : public ::testing::Environment {
  public:
    void SetUp() override {
        const std::wstring name = Variable(kStartedEventVariable);
        if (name.empty()) return;
        ScreenDpi();
        HANDLE event = OpenEventW(EVENT_MODIFY_STATE, FALSE, name.c_str());
        if (event) {
            SetEvent(event);
            CloseHandle(event);
        }
    }
};
[[maybe_unused]] ::testing::Environment* const kStartedSignal =
    ::testing::AddGlobalTestEnvironment(new StartedSignal);

// The prefix's desktop DPI for the programs started while this lives; put back after.
class DesktopLogPixels {
  public:
    explicit DesktopLogPixels(DWORD dpi) {
        if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0,
                            KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key_,
                            nullptr) != ERROR_SUCCESS) {
            key_ = nullptr;
            return;
        }
        DWORD size = sizeof(previous_);
        had_ = RegQueryValueExW(key_, L"LogPixels", nullptr, nullptr,
                                reinterpret_cast<BYTE*>(&previous_), &size) == ERROR_SUCCESS;
        set_ = RegSetValueExW(key_, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi),
                              sizeof(dpi)) == ERROR_SUCCESS;
    }
    ~DesktopLogPixels() { Restore(); }
    bool IsSet() const { return set_; }
    void Restore() {
        if (!key_) return;
        if (had_) {
            RegSetValueExW(key_, L"LogPixels", 0, REG_DWORD,
                           reinterpret_cast<const BYTE*>(&previous_), sizeof(previous_));
        } else {
            RegDeleteValueW(key_, L"LogPixels");
        }
        RegCloseKey(key_);
        key_ = nullptr;
    }

  private:
    HKEY key_ = nullptr;
    DWORD previous_ = 0;
    bool had_ = false;
    bool set_ = false;
};

// Starts this program at the DPI with the tests of every scale; yields its exit code.
DWORD RunAtDpi(DWORD dpi) {
    const std::wstring eventName =
        L"TonschleuderScaleStarted-" + std::to_wstring(GetCurrentProcessId());
    HANDLE started = CreateEventW(nullptr, TRUE, FALSE, eventName.c_str());
    SetEnvironmentVariableW(kExpectedDpiVariable, std::to_wstring(dpi).c_str());
    SetEnvironmentVariableW(kStartedEventVariable, eventName.c_str());
    PROCESS_INFORMATION process{};
    {
        DesktopLogPixels scale(dpi);
        if (scale.IsSet()) process = StartTestProgram(ThisTestProgram(), kAtEveryScale);
        if (process.hProcess) {
            const HANDLE waits[] = {started, process.hProcess};
            WaitForMultipleObjects(2, waits, FALSE, 60000);
        }
    }
    SetEnvironmentVariableW(kExpectedDpiVariable, nullptr);
    SetEnvironmentVariableW(kStartedEventVariable, nullptr);
    CloseHandle(started);
    return WaitForTestProgram(process);
}

TEST(DisplayScale, EveryScaleHoldsInAProgramStartOfItsOwn) {
    for (DWORD dpi : {96u, 120u, 144u, 192u}) {
        SCOPED_TRACE(testing::Message() << dpi << " DPI");
        EXPECT_EQ(RunAtDpi(dpi), 0u) << "the tests at " << dpi << " DPI failed (output above)";
    }
    // This program's own start is untouched: it still runs at the scale it began with.
    EXPECT_EQ(ScreenDpi(), 96u);
}

RECT RectInClient(HWND dialog, HWND control) {
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

std::string Describe(const RECT& rect) {
    return (testing::Message() << "(" << rect.left << "," << rect.top << ")-(" << rect.right << ","
                               << rect.bottom << ")")
        .GetString();
}

// The template's controls with their windows, in creation order.
struct PlacedControl {
    TemplateControl fromTemplate;
    HWND window;
};

std::vector<PlacedControl> ControlsInTemplateOrder(HWND dialog) {
    DialogTemplateLayout layout;
    std::vector<PlacedControl> controls;
    if (!ReadDialogTemplate(GetModuleHandleW(nullptr), IDD_MAIN, layout)) return controls;
    HWND window = GetWindow(dialog, GW_CHILD);
    for (int i = 0; i < layout.count && window; ++i, window = GetWindow(window, GW_HWNDNEXT))
        controls.push_back({layout.controls[i], window});
    return controls;
}

bool IsComboBox(HWND window) {
    wchar_t name[32] = {};
    GetClassNameW(window, name, 32);
    return wcscmp(name, L"ComboBox") == 0;
}

LONG FontHeight(HWND window) {
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)), sizeof(font),
               &font);
    return font.lfHeight;
}

// ---- run only in a start at another scale (see above) ----

class DISABLED_AtDisplayScale : public ::testing::Test {
  protected:
    void SetUp() override {
        expectedDpi = static_cast<unsigned>(_wtoi(Variable(kExpectedDpiVariable).c_str()));
        ASSERT_NE(expectedDpi, 0u) << kExpectedDpiVariable << " is not set";
        dialog = OpenFreshDialog();
        ASSERT_NE(dialog, nullptr);
    }
    void TearDown() override { CloseDialog(dialog); }
    unsigned expectedDpi = 0;
    HWND dialog = nullptr;
};

TEST_F(DISABLED_AtDisplayScale, ProgramRunsAtTheScaleOfTheDesktop) {
    EXPECT_EQ(ScreenDpi(), expectedDpi);
    using ForWindow = UINT(WINAPI*)(HWND);
    const auto dpiForWindow = User32Function<ForWindow>("GetDpiForWindow");
    ASSERT_NE(dpiForWindow, nullptr);
    EXPECT_EQ(dpiForWindow(dialog), expectedDpi);
}

TEST_F(DISABLED_AtDisplayScale, ControlsStandAtTheirTemplatePlacesInDialogUnits) {
    const std::vector<PlacedControl> controls = ControlsInTemplateOrder(dialog);
    ASSERT_EQ(controls.size(), 46u);
    for (const PlacedControl& control : controls) {
        const RECT& units = control.fromTemplate.units;
        SCOPED_TRACE(testing::Message() << "control " << control.fromTemplate.id);
        ASSERT_EQ(GetDlgCtrlID(control.window), control.fromTemplate.id);
        // Place and size are mapped each on its own, as the dialog manager does.
        RECT expected = {units.left, units.top, units.right - units.left, units.bottom - units.top};
        MapDialogRect(dialog, &expected);
        expected.right += expected.left;
        expected.bottom += expected.top;
        const RECT got = RectInClient(dialog, control.window);
        EXPECT_EQ(got.left, expected.left);
        EXPECT_EQ(got.top, expected.top);
        EXPECT_EQ(got.right, expected.right);
        // A combo box's template height is that of its drop-down list.
        if (!IsComboBox(control.window)) {
            EXPECT_EQ(got.bottom, expected.bottom);
        }
    }
    // The units come from the template's font, 8 points at this scale.
    EXPECT_EQ(FontHeight(dialog), -MulDiv(8, static_cast<int>(expectedDpi), 72));
}

// ---- a move to a display of another scale ----

// A copy of the dialog template whose font is as large at 96 DPI as the template's at `dpi`.
std::vector<BYTE> TemplateScaledTo(unsigned dpi) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(IDD_MAIN), MAKEINTRESOURCEW(5));
    const auto* bytes = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
    std::vector<BYTE> copy(bytes, bytes + SizeofResource(module, found));
    // After the fixed header of a DIALOGEX come menu, class and caption, then the point size.
    size_t at = 26;
    for (int name = 0; name < 3; ++name) {
        WORD word;
        std::memcpy(&word, &copy[at], 2);
        if (word == 0xFFFF) {
            at += 4;
            continue;
        }
        do {
            std::memcpy(&word, &copy[at], 2);
            at += 2;
        } while (word != 0);
    }
    WORD points;
    std::memcpy(&points, &copy[at], 2);
    points = static_cast<WORD>(points * dpi / 96);
    std::memcpy(&copy[at], &points, 2);
    return copy;
}

INT_PTR CALLBACK PlainDialogProc(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

class DpiChange : public ::testing::Test {
  protected:
    void SetUp() override {
        dialog = OpenFreshDialog();
        ASSERT_NE(dialog, nullptr);
        GetWindowRect(dialog, &startWindow);
    }
    void TearDown() override {
        if (model) DestroyWindow(model);
        CloseDialog(dialog);
    }
    // What the dialog manager makes of the template at the DPI.
    void MakeModel(unsigned dpi) {
        scaledTemplate = TemplateScaledTo(dpi);
        model = CreateDialogIndirectParamW(
            GetModuleHandleW(nullptr), reinterpret_cast<const DLGTEMPLATE*>(scaledTemplate.data()),
            nullptr, PlainDialogProc, 0);
        ASSERT_NE(model, nullptr);
        GetWindowRect(model, &modelWindow);
    }
    void SendDpiChange(unsigned dpi, RECT suggested) {
        SendMessageW(dialog, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                     reinterpret_cast<LPARAM>(&suggested));
    }
    // Every control as in the model, the right column and the bottom row moved by the
    // growth, the list stretched to its gaps (unless nothing grew).
    void ExpectLikeModel(unsigned dpi, int dx, int dy) {
        const std::vector<PlacedControl> got = ControlsInTemplateOrder(dialog);
        const std::vector<PlacedControl> want = ControlsInTemplateOrder(model);
        ASSERT_EQ(got.size(), want.size());
        ASSERT_EQ(got.size(), 46u);
        RECT groupBox{}, upButton{};
        for (size_t i = 0; i < got.size(); ++i) {
            const int id = want[i].fromTemplate.id;
            SCOPED_TRACE(testing::Message() << "control " << id);
            RECT expected = RectInClient(model, want[i].window);
            const RECT& units = want[i].fromTemplate.units;
            // Right of the list and below the top strip: the right column; the buttons
            // under the list: the bottom row.
            if (units.left >= 200 && units.top >= 38) OffsetRect(&expected, dx, 0);
            if (id == IDB_UP || id == IDB_DOWN || id == IDB_REMOVE) OffsetRect(&expected, 0, dy);
            const RECT now = RectInClient(dialog, got[i].window);
            if (id == IDG_TAGS) groupBox = now;
            if (id == IDB_UP) upButton = now;
            EXPECT_EQ(FontHeight(got[i].window), FontHeight(want[i].window));
            if (id == IDL_FILES && (dx != 0 || dy != 0)) continue;  // checked below
            EXPECT_TRUE(EqualRect(&now, &expected))
                << "expected " << Describe(expected) << ", got " << Describe(now);
        }
        const RECT list = RectInClient(dialog, GetDlgItem(dialog, IDL_FILES));
        if (dx != 0 || dy != 0) {
            EXPECT_EQ(groupBox.left - list.right, MulDiv(4, static_cast<int>(dpi), 96));
            EXPECT_EQ(upButton.top - list.bottom, MulDiv(3, static_cast<int>(dpi), 96));
        }
    }

    HWND dialog = nullptr;
    HWND model = nullptr;
    std::vector<BYTE> scaledTemplate;
    RECT startWindow{}, modelWindow{};
};

TEST_F(DpiChange, DialogIsArrangedAsTheDialogManagerWouldAtTheNewScale) {
    for (unsigned dpi : {120u, 144u, 192u}) {
        SCOPED_TRACE(testing::Message() << dpi << " DPI");
        MakeModel(dpi);
        // Exactly the model's size: everything as in the model.
        SendDpiChange(dpi, modelWindow);
        ExpectLikeModel(dpi, 0, 0);
        RECT window;
        GetWindowRect(dialog, &window);
        EXPECT_TRUE(EqualRect(&window, &modelWindow)) << Describe(window);
        // Larger than the model: the layout spreads out from the new arrangement.
        RECT larger = modelWindow;
        larger.right += 80;
        larger.bottom += 60;
        SendDpiChange(dpi, larger);
        ExpectLikeModel(dpi, 80, 60);
        // The minimum is the model's size, and a suggestion below it is raised to it.
        MINMAXINFO limits{};
        SendMessageW(dialog, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
        EXPECT_EQ(limits.ptMinTrackSize.x, modelWindow.right - modelWindow.left);
        EXPECT_EQ(limits.ptMinTrackSize.y, modelWindow.bottom - modelWindow.top);
        RECT smaller = modelWindow;
        smaller.right -= 30;
        SendDpiChange(dpi, smaller);
        ExpectLikeModel(dpi, 0, 0);
        DestroyWindow(model);
        model = nullptr;
    }
}

TEST_F(DpiChange, RowsDropDownAndIconFollowAndTheListRepaints) {
    const LRESULT startRowHeight = SendDlgItemMessageW(dialog, IDL_FILES, LB_GETITEMHEIGHT, 0, 0);
    using ForDpi = int(WINAPI*)(int, UINT);
    const auto metricForDpi = User32Function<ForDpi>("GetSystemMetricsForDpi");
    ASSERT_NE(metricForDpi, nullptr);
    for (unsigned dpi : {192u, 120u, 96u}) {
        SCOPED_TRACE(testing::Message() << dpi << " DPI");
        UpdateWindow(dialog);
        RECT suggested = startWindow;
        suggested.right = suggested.left + MulDiv(startWindow.right - startWindow.left, dpi, 96);
        suggested.bottom = suggested.top + MulDiv(startWindow.bottom - startWindow.top, dpi, 96);
        SendDpiChange(dpi, suggested);
        HWND list = GetDlgItem(dialog, IDL_FILES);
        EXPECT_TRUE(GetUpdateRect(list, nullptr, FALSE));
        // Rows tall enough for the new font and the text's top offset.
        HDC dc = GetDC(list);
        HGDIOBJ old =
            SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(list, WM_GETFONT, 0, 0)));
        TEXTMETRICW metrics{};
        GetTextMetricsW(dc, &metrics);
        SelectObject(dc, old);
        ReleaseDC(list, dc);
        const LRESULT rowHeight = SendMessageW(list, LB_GETITEMHEIGHT, 0, 0);
        EXPECT_GE(rowHeight, metrics.tmHeight + MulDiv(1, dpi, 96));
        EXPECT_EQ(rowHeight, MulDiv(static_cast<int>(startRowHeight), dpi, 96));
        EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_PRESET, CB_GETDROPPEDWIDTH, 0, 0),
                  MulDiv(150, dpi, 96));
        ICONINFO icon{};
        ASSERT_TRUE(
            GetIconInfo(reinterpret_cast<HICON>(GetClassLongPtrW(dialog, GCLP_HICON)), &icon));
        BITMAP bitmap{};
        GetObjectW(icon.hbmColor ? icon.hbmColor : icon.hbmMask, sizeof(bitmap), &bitmap);
        EXPECT_EQ(bitmap.bmWidth, metricForDpi(SM_CXSMICON, dpi));
        if (icon.hbmColor) DeleteObject(icon.hbmColor);
        DeleteObject(icon.hbmMask);
        PumpMessages();
    }
    // Back at the start's scale and size, everything is where it was created.
    RECT window;
    GetWindowRect(dialog, &window);
    EXPECT_EQ(window.right - window.left, startWindow.right - startWindow.left);
    EXPECT_EQ(window.bottom - window.top, startWindow.bottom - startWindow.top);
    EXPECT_EQ(SendDlgItemMessageW(dialog, IDL_FILES, LB_GETITEMHEIGHT, 0, 0), startRowHeight);
}

}  // namespace
