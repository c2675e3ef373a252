#include "gui/menu_capture.h"

#include <utility>

#include "gui/harness.h"

// How a menu is caught under Wine 8: TrackPopupMenu runs its own loop and sends the owner
// WM_INITMENUPOPUP (with the HMENU) before it shows the menu and WM_ENTERIDLE (MSGF_MENU, the
// menu window in lParam) when its queue runs dry. A thread WH_CALLWNDPROC hook sees both without
// touching the dialog procedure. Keys posted to the menu window are taken by the menu loop as
// from the keyboard. WM_ENTERIDLE comes once per dry spell, not again while nothing happens, so
// exactly one key is posted per idle turn and each answer is decided after the last key took
// effect. Down does not step as a count of rows would suggest: with no row highlighted it takes
// the first row, it skips separators but stops on greyed rows, and it walks on across column
// breaks; so we press Down until the wanted row is highlighted rather than counting.

namespace {
MenuAnswer* g_active = nullptr;

void PostKey(HWND window, UINT vk) {
    PostMessageW(window, WM_KEYDOWN, vk, 1);
}

SeenMenuItem ReadItem(HMENU menu, int index) {
    SeenMenuItem item;
    char16_t text[512] = {};
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STATE | MIIM_STRING;
    info.dwTypeData = reinterpret_cast<wchar_t*>(text);
    info.cch = static_cast<UINT>(sizeof text / sizeof text[0]);
    if (GetMenuItemInfoW(menu, static_cast<UINT>(index), TRUE, &info)) {
        item.id = info.wID;
        item.type = info.fType;
        item.state = info.fState;
        item.text = text;
    }
    return item;
}

int HighlightedIndex(HMENU menu) {
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        if (GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_HILITE) return i;
    }
    return -1;
}
}  // namespace

int SeenMenu::IndexOfText(const std::u16string& text) const {
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i].text == text) return static_cast<int>(i);
    }
    return -1;
}

std::vector<std::u16string> SeenMenu::Texts() const {
    std::vector<std::u16string> texts;
    for (const SeenMenuItem& item : items) texts.push_back(item.text);
    return texts;
}

MenuAnswer::MenuAnswer(UINT chooseId, std::function<void()> whileOpen)
    : chooseId_(chooseId), whileOpen_(std::move(whileOpen)) {
    g_active = this;
    hook_ = SetWindowsHookExW(WH_CALLWNDPROC, OnOwnerMessage, nullptr, GetCurrentThreadId());
}

MenuAnswer::~MenuAnswer() {
    if (hook_) UnhookWindowsHookEx(hook_);
    if (g_active == this) g_active = nullptr;
}

LRESULT CALLBACK MenuAnswer::OnOwnerMessage(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && g_active) {
        const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (message->message == WM_INITMENUPOPUP) {
            g_active->TakeInitMenuPopup(message->hwnd, reinterpret_cast<HMENU>(message->wParam));
        } else if (message->message == WM_ENTERIDLE && message->wParam == MSGF_MENU) {
            g_active->TakeIdleMenu(reinterpret_cast<HWND>(message->lParam));
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void MenuAnswer::TakeInitMenuPopup(HWND owner, HMENU menu) {
    ++seen_.timesShown;
    seen_.owner = owner;
    menu_ = menu;
    read_ = false;
    answered_ = false;
    presses_ = 0;
}

void MenuAnswer::TakeIdleMenu(HWND menuWindow) {
    if (!menu_ || answered_ || !menuWindow) return;
    if (!read_) {
        read_ = true;
        GetWindowRect(menuWindow, &seen_.windowRect);
        seen_.items.clear();
        const int count = GetMenuItemCount(menu_);
        for (int i = 0; i < count; ++i) seen_.items.push_back(ReadItem(menu_, i));
        if (whileOpen_) whileOpen_();
    }
    int target = -1;
    for (size_t i = 0; i < seen_.items.size(); ++i) {
        if (chooseId_ != 0 && seen_.items[i].id == chooseId_ && !seen_.items[i].IsSeparator()) {
            target = static_cast<int>(i);
        }
    }
    // One key per idle turn, so each press is seen before the next is decided.
    const int limit = static_cast<int>(seen_.items.size()) + 2;
    if (target < 0 || presses_ > limit) {
        answered_ = true;
        PostKey(menuWindow, VK_ESCAPE);
    } else if (HighlightedIndex(menu_) == target) {
        answered_ = true;
        PostKey(menuWindow, VK_RETURN);
    } else {
        ++presses_;
        PostKey(menuWindow, VK_DOWN);
    }
}

POINT ClickButton(HWND dialog, int buttonId) {
    HWND button = GetDlgItem(dialog, buttonId);
    RECT rect;
    GetClientRect(button, &rect);
    POINT inButton{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    POINT onScreen = inButton;
    ClientToScreen(button, &onScreen);
    // Posted messages carry the cursor position as their message position.
    SetCursorPos(onScreen.x, onScreen.y);
    const LPARAM at = MAKELPARAM(inButton.x, inButton.y);
    PostMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(button, WM_LBUTTONUP, 0, at);
    PumpMessages();
    return onScreen;
}
