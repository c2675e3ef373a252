// Records every message box the code under test shows on this thread and answers it as a
// user would, through a WH_CBT hook that sees the box when it is activated.
#pragma once
#include <windows.h>

#include <deque>
#include <string>
#include <vector>

struct ShownMessage {
    std::u16string text;
    std::u16string caption;
    std::vector<int> buttons;  // ids of the visible buttons, ascending (IDOK, IDYES, IDNO, ...)
    bool hasIcon = false;
    HWND owner = nullptr;
    int answer = 0;  // the button pressed
};

// The button set of a box made with MB_OK or MB_YESNO, as the recorder lists it.
const std::vector<int>& OkButtons();
const std::vector<int>& YesNoButtons();

class MessageBoxRecorder {
  public:
    // answers: the buttons to press, one per box, in order. A box found with no answer left
    // gets OK when it has one, otherwise No (and the test should have said).
    explicit MessageBoxRecorder(std::deque<int> answers = {});
    ~MessageBoxRecorder();
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

    const std::vector<ShownMessage>& Shown() const { return shown_; }
    // The texts of the boxes, in order.
    std::vector<std::u16string> Texts() const;
    // Ticks (QueryPerformanceCounter) when the first box was seen; 0 before.
    LONGLONG FirstShownAt() const { return firstShownAt_; }

  private:
    static LRESULT CALLBACK HookProc(int code, WPARAM wParam, LPARAM lParam);
    void Record(HWND box);

    HHOOK hook_ = nullptr;
    std::deque<int> answers_;
    std::vector<ShownMessage> shown_;
    LONGLONG firstShownAt_ = 0;
    HWND openBox_ = nullptr;  // the box on screen now
    MessageBoxRecorder* previous_ = nullptr;
};

// Printable form of a message for failure output (UTF-8, CR LF shown as \r\n).
std::string PrintableText(const std::u16string& text);
