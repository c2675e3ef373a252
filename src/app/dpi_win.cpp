#include "app/dpi_win.h"

#include "app/dialog_template_win.h"
#include "app/dpi_scale.h"
#include "app/shell_win.h"
#include "options/option_tables.h"
#include "resources/control_ids.h"

namespace {

UINT g_dpi = kStandardDpi;
// The list's row height as the list chose it at creation, and the DPI it was chosen for.
int g_createdRowHeight = 0;
UINT g_createdDpi = kStandardDpi;
HICON g_smallIcon = nullptr;
// The dialog font made for a DPI change; the template's own font belongs to the dialog.
HFONT g_scaledFont = nullptr;

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

void RecordDialogDpi(HWND dialog) {
    g_dpi = WindowDpi(dialog);
    g_createdDpi = g_dpi;
    g_createdRowHeight =
        static_cast<int>(SendDlgItemMessageW(dialog, IDL_FILES, LB_GETITEMHEIGHT, 0, 0));
    // This dialog rescales itself on WM_DPICHANGED; the dialog manager of Windows 10 would
    // otherwise scale it as well.
    using Behavior = BOOL(WINAPI*)(HWND, int, int);
    static const Behavior setBehavior = User32Function<Behavior>("SetDialogDpiChangeBehavior");
    if (setBehavior) setBehavior(dialog, 1, 1);    // DDC_DISABLE_ALL
    if (g_scaledFont) DeleteObject(g_scaledFont);  // the dialog it was made for is gone
    g_scaledFont = nullptr;
}

int DialogPixels(int pixelsAt96) {
    return ScaleToDpi(pixelsAt96, g_dpi);
}

void InstallSmallIcon(HWND dialog) {
    const int size = SmallIconSize(g_dpi);
    auto icon = static_cast<HICON>(
        LoadImageW(ProgramInstance(), MAKEINTRESOURCEW(IDI_SMALL), IMAGE_ICON, size, size, 0));
    if (!icon) return;
    SetClassLongPtrW(dialog, GCLP_HICON, reinterpret_cast<LONG_PTR>(icon));
    if (g_smallIcon) DestroyIcon(g_smallIcon);
    g_smallIcon = icon;
}

void SetPresetDropDownWidth(HWND dialog) {
    HWND preset = GetDlgItem(dialog, IDC_PRESET);
    // Wine refuses a width below the current drop-down's (Windows: below the box's), so a
    // smaller scale first falls back to the box's width.
    SendMessageW(preset, CB_SETDROPPEDWIDTH, 1, 0);
    SendMessageW(preset, CB_SETDROPPEDWIDTH, DialogPixels(kPresetDroppedWidth), 0);
}

void ArrangeForDpi(HWND dialog, UINT dpi) {
    if (dpi == 0) return;
    g_dpi = dpi;
    DialogTemplateLayout layout;
    HFONT font = nullptr;
    if (ReadDialogTemplate(ProgramInstance(), IDD_MAIN, layout)) {
        font = MakeDialogFont(dialog, layout.pointSize, dpi);
    }
    if (font) {
        const SIZE base = BaseUnitsOf(font);
        SizeClientArea(dialog, MulDiv(layout.units.cx, base.cx, 4),
                       MulDiv(layout.units.cy, base.cy, 8), dpi);
        PlaceControls(dialog, layout, base, font);
        if (g_scaledFont) DeleteObject(g_scaledFont);
        g_scaledFont = font;
    }
    // The list takes its row height once, at creation, from the scale of that time; the
    // rows keep it in proportion.
    if (g_createdRowHeight > 0) {
        SendDlgItemMessageW(
            dialog, IDL_FILES, LB_SETITEMHEIGHT, 0,
            MulDiv(g_createdRowHeight, static_cast<int>(dpi), static_cast<int>(g_createdDpi)));
    }
    SetPresetDropDownWidth(dialog);
    InstallSmallIcon(dialog);
}

void MoveToSuggestedRect(HWND dialog, const RECT& suggested, SIZE minimum) {
    const LONG width = suggested.right - suggested.left;
    const LONG height = suggested.bottom - suggested.top;
    SetWindowPos(dialog, nullptr, suggested.left, suggested.top,
                 width > minimum.cx ? width : minimum.cx, height > minimum.cy ? height : minimum.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}
