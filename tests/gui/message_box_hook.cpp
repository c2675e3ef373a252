#include "gui/message_box_hook.h"

#include <algorithm>

#include "support/test_text.h"
#include "support/window_text_win.h"

namespace {

// The recorder whose hook is installed; recorders nest, the newest answers.
MessageBoxRecorder* g_active = nullptr;

bool IsDialogClass(HWND window) {
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    return lstrcmpW(name, L"#32770") == 0;
}

bool HasStyle(HWND window, LONG style) {
    return (GetWindowLongW(window, GWL_STYLE) & style) != 0;
}

struct BoxParts {
    std::u16string text;
    std::vector<int> buttons;
    bool hasIcon = false;
    bool hasTextControl = false;
    bool hasOtherControls = false;  // edits, lists: a dialog of its own, not a message box
};

BOOL CALLBACK CollectPart(HWND child, LPARAM context) {
    auto* parts = reinterpret_cast<BoxParts*>(context);
    wchar_t name[16] = {};
    GetClassNameW(child, name, 16);
    // At activation the box itself is not shown yet, so the children's own WS_VISIBLE
    // says what the user will see (Wine destroys unused buttons, Windows hides them).
    const bool visible = HasStyle(child, WS_VISIBLE);
    if (lstrcmpiW(name, L"Button") == 0) {
        if (visible) parts->buttons.push_back(GetDlgCtrlID(child));
    } else if (lstrcmpiW(name, L"Static") != 0) {
        parts->hasOtherControls = true;
    } else {
        const LONG type = GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK;
        if (type == SS_ICON) {
            if (visible && SendMessageW(child, STM_GETICON, 0, 0) != 0) parts->hasIcon = true;
        } else if (GetDlgCtrlID(child) == 0xFFFF) {
            parts->text = WindowText(child);
            parts->hasTextControl = true;
        }
    }
    return TRUE;
}

int DefaultAnswer(const std::vector<int>& buttons) {
    if (std::find(buttons.begin(), buttons.end(), IDOK) != buttons.end()) return IDOK;
    if (std::find(buttons.begin(), buttons.end(), IDNO) != buttons.end()) return IDNO;
    return buttons.empty() ? IDCANCEL : buttons.front();
}

}  // namespace

const std::vector<int>& OkButtons() {
    static const std::vector<int> buttons{IDOK};
    return buttons;
}

const std::vector<int>& YesNoButtons() {
    static const std::vector<int> buttons{IDYES, IDNO};
    return buttons;
}

MessageBoxRecorder::MessageBoxRecorder(std::deque<int> answers) : answers_(std::move(answers)) {
    previous_ = g_active;
    g_active = this;
    hook_ = SetWindowsHookExW(WH_CBT, HookProc, nullptr, GetCurrentThreadId());
}

MessageBoxRecorder::~MessageBoxRecorder() {
    if (hook_) UnhookWindowsHookEx(hook_);
    g_active = previous_;
}

std::vector<std::u16string> MessageBoxRecorder::Texts() const {
    std::vector<std::u16string> texts;
    for (const ShownMessage& message : shown_) texts.push_back(message.text);
    return texts;
}

LRESULT CALLBACK MessageBoxRecorder::HookProc(int code, WPARAM wParam, LPARAM lParam) {
    if (g_active) {
        HWND window = reinterpret_cast<HWND>(wParam);
        if (code == HCBT_ACTIVATE && IsDialogClass(window)) g_active->Record(window);
        if (code == HCBT_DESTROYWND && window == g_active->openBox_) g_active->openBox_ = nullptr;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void MessageBoxRecorder::Record(HWND box) {
    BoxParts parts;
    EnumChildWindows(box, CollectPart, reinterpret_cast<LPARAM>(&parts));
    if (!parts.hasTextControl || parts.hasOtherControls) return;  // not a message box
    // A box is activated again when the focus comes back to it; record it once.
    if (box == openBox_) return;
    openBox_ = box;
    if (shown_.empty()) {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        firstShownAt_ = now.QuadPart;
    }
    std::sort(parts.buttons.begin(), parts.buttons.end());
    ShownMessage message;
    message.text = parts.text;
    message.caption = WindowText(box);
    message.buttons = parts.buttons;
    message.hasIcon = parts.hasIcon;
    message.owner = GetWindow(box, GW_OWNER);
    int answer = DefaultAnswer(parts.buttons);
    if (!answers_.empty()) {
        answer = answers_.front();
        answers_.pop_front();
    }
    message.answer = answer;
    shown_.push_back(message);
    // What a click on the button sends; the box's own modal loop takes it.
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, answer)));
}

std::string PrintableText(const std::u16string& text) {
    std::u16string shown;
    for (char16_t unit : text) {
        if (unit == u'\r')
            shown += u"\\r";
        else if (unit == u'\n')
            shown += u"\\n";
        else
            shown += unit;
    }
    return Utf8(shown);
}
