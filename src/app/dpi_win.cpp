#include "app/dpi_win.h"

#include "app/dialog_template_win.h"
#include "options/options_win.h"
#include "resources/control_ids.h"

namespace {

// Functions of newer systems, looked up so that the program still starts on Windows 7.
template <typename Function>
Function User32Function(const char* name) {
    const FARPROC found = GetProcAddress(GetModuleHandleW(L"user32.dll"), name);
    return reinterpret_cast<Function>(reinterpret_cast<void*>(found));
}

int SmallIconSize(UINT dpi) {
    using ForDpi = int(WINAPI*)(int, UINT);
    static const ForDpi metricForDpi = User32Function<ForDpi>("GetSystemMetricsForDpi");
    return metricForDpi ? metricForDpi(SM_CXSMICON, dpi) : GetSystemMetrics(SM_CXSMICON);
}

void AdjustFrameForDpi(RECT& rect, HWND window, UINT dpi) {
    using ForDpi = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    static const ForDpi adjustForDpi = User32Function<ForDpi>("AdjustWindowRectExForDpi");
    const DWORD style = static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE));
    const DWORD exStyle = static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE));
    if (adjustForDpi) {
        adjustForDpi(&rect, style, FALSE, exStyle, dpi);
    } else {
        AdjustWindowRectEx(&rect, style, FALSE, exStyle);
    }
}

// The window sized so that its client area has this size. Where the frame has not followed
// the new DPI (Wine), the difference is made up in a second step.
void SizeClientArea(HWND window, int width, int height, UINT dpi) {
    RECT frame = {0, 0, width, height};
    AdjustFrameForDpi(frame, window, dpi);
    const UINT flags = SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE;
    SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top, flags);
    RECT client, outer;
    GetClientRect(window, &client);
    if (client.right == width && client.bottom == height) return;
    GetWindowRect(window, &outer);
    SetWindowPos(window, nullptr, 0, 0, outer.right - outer.left + width - client.right,
                 outer.bottom - outer.top + height - client.bottom, flags);
}

// The template's font (the dialog's own, as the dialog manager made it) at its size for the DPI.
HFONT MakeDialogFont(HWND dialog, int pointSize, UINT dpi) {
    LOGFONTW description{};
    const auto templateFont = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
    if (!templateFont || !GetObjectW(templateFont, sizeof(description), &description))
        return nullptr;
    description.lfHeight = -MulDiv(pointSize, static_cast<int>(dpi), 72);
    description.lfWidth = 0;
    return CreateFontIndirectW(&description);
}

// The dialog base units the dialog manager takes from a font.
SIZE BaseUnitsOf(HFONT font) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, font);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SIZE alphabet{};
    GetTextExtentPoint32W(dc, L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52,
                          &alphabet);
    SelectObject(dc, previous);
    ReleaseDC(nullptr, dc);
    return {(alphabet.cx / 26 + 1) / 2, metrics.tmHeight};
}

// Each control at its template place in the new dialog units, with the new font. The
// controls were created in template order; any other order leaves them where they are.
void PlaceControls(HWND dialog, const DialogTemplateLayout& layout, SIZE base, HFONT font) {
    HWND control = GetWindow(dialog, GW_CHILD);
    for (int i = 0; i < layout.count && control; ++i, control = GetWindow(control, GW_HWNDNEXT)) {
        const TemplateControl& placed = layout.controls[i];
        if (GetDlgCtrlID(control) != placed.id) return;
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        SetWindowPos(control, nullptr, MulDiv(placed.units.left, base.cx, 4),
                     MulDiv(placed.units.top, base.cy, 8),
                     MulDiv(placed.units.right - placed.units.left, base.cx, 4),
                     MulDiv(placed.units.bottom - placed.units.top, base.cy, 8),
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

// The DPI of a window's display: GetDpiForWindow where the system has it (Windows 10),
// otherwise the screen's.
UINT WindowDpi(HWND window) {
    using ForWindow = UINT(WINAPI*)(HWND);
    static const ForWindow dpiForWindow = User32Function<ForWindow>("GetDpiForWindow");
    if (dpiForWindow) {
        const UINT dpi = dpiForWindow(window);
        if (dpi != 0) return dpi;
    }
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : kStandardDpi;
}

}  // namespace

void RecordDialogDpi(DialogState& state) {
    DisplayScale& scale = state.scale;
    scale.dpi = WindowDpi(state.dialog);
    scale.createdDpi = scale.dpi;
    scale.createdRowHeight =
        static_cast<int>(SendMessageW(state.controls.files, LB_GETITEMHEIGHT, 0, 0));
    // This dialog rescales itself on WM_DPICHANGED; the dialog manager of Windows 10 would
    // otherwise scale it as well.
    using Behavior = BOOL(WINAPI*)(HWND, int, int);
    static const Behavior setBehavior = User32Function<Behavior>("SetDialogDpiChangeBehavior");
    if (setBehavior) setBehavior(state.dialog, 1, 1);  // DDC_DISABLE_ALL
}

void InstallSmallIcon(DialogState& state) {
    const int size = SmallIconSize(state.scale.dpi);
    auto icon = static_cast<HICON>(
        LoadImageW(state.instance, MAKEINTRESOURCEW(IDI_SMALL), IMAGE_ICON, size, size, 0));
    if (!icon) return;
    SetClassLongPtrW(state.dialog, GCLP_HICON, reinterpret_cast<LONG_PTR>(icon));
    if (state.scale.smallIcon) DestroyIcon(state.scale.smallIcon);
    state.scale.smallIcon = icon;
}

void ReleaseDisplayScale(DialogState& state) {
    DisplayScale& scale = state.scale;
    if (scale.smallIcon) {
        // The icon is the dialog class's; the class must not keep a destroyed one.
        if (GetClassLongPtrW(state.dialog, GCLP_HICON) ==
            reinterpret_cast<ULONG_PTR>(scale.smallIcon)) {
            SetClassLongPtrW(state.dialog, GCLP_HICON, 0);
        }
        DestroyIcon(scale.smallIcon);
        scale.smallIcon = nullptr;
    }
    if (scale.scaledFont) DeleteObject(scale.scaledFont);
    scale.scaledFont = nullptr;
}

void ArrangeForDpi(DialogState& state, UINT dpi) {
    if (dpi == 0) return;
    DisplayScale& scale = state.scale;
    HWND dialog = state.dialog;
    scale.dpi = dpi;
    DialogTemplateLayout layout;
    HFONT font = nullptr;
    if (ReadDialogTemplate(state.instance, IDD_MAIN, layout)) {
        font = MakeDialogFont(dialog, layout.pointSize, dpi);
    }
    if (font) {
        const SIZE base = BaseUnitsOf(font);
        SizeClientArea(dialog, MulDiv(layout.units.cx, base.cx, 4),
                       MulDiv(layout.units.cy, base.cy, 8), dpi);
        PlaceControls(dialog, layout, base, font);
        if (scale.scaledFont) DeleteObject(scale.scaledFont);
        scale.scaledFont = font;
    }
    // The list takes its row height once, at creation, from the scale of that time; the
    // rows keep it in proportion.
    if (scale.createdRowHeight > 0) {
        SendMessageW(state.controls.files, LB_SETITEMHEIGHT, 0,
                     MulDiv(scale.createdRowHeight, static_cast<int>(dpi),
                            static_cast<int>(scale.createdDpi)));
    }
    SetPresetDropDownWidth(state);
    InstallSmallIcon(state);
}

void MoveToSuggestedRect(HWND dialog, const RECT& suggested, SIZE minimum) {
    const LONG width = suggested.right - suggested.left;
    const LONG height = suggested.bottom - suggested.top;
    SetWindowPos(dialog, nullptr, suggested.left, suggested.top,
                 width > minimum.cx ? width : minimum.cx, height > minimum.cy ? height : minimum.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}
