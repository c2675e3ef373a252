// Reading a pop-up menu while TrackPopupMenu shows it, and answering it as a user would.
#pragma once
#include <windows.h>
#include <functional>
#include <string>
#include <vector>

struct SeenMenuItem {
    UINT id = 0;
    UINT type = 0;   // MFT_ flags: MFT_SEPARATOR, MFT_MENUBREAK, ...
    UINT state = 0;  // MFS_ flags: MFS_GRAYED, MFS_HILITE, ...
    std::u16string text;

    bool IsSeparator() const { return (type & MFT_SEPARATOR) != 0; }
    bool IsGrey() const { return (state & MFS_GRAYED) != 0; }
    bool OpensColumn() const { return (type & MFT_MENUBREAK) != 0; }
};

struct SeenMenu {
    int timesShown = 0;
    HWND owner = nullptr;  // the window that received the menu's notifications
    RECT windowRect{};     // the menu window on screen
    std::vector<SeenMenuItem> items;

    // Index of the first item with this text, -1 when there is none.
    int IndexOfText(const std::u16string& text) const;
    std::vector<std::u16string> Texts() const;
};

// While alive, answers the pop-up menus this thread opens: each is read into Seen() once it is
// on screen, then the item with chooseId is chosen by keyboard (Down until it is highlighted,
// then Return), or the menu is dismissed with Escape when chooseId is 0. whileOpen, if given,
// runs with the menu on screen before the answer (for screenshots).
class MenuAnswer {
  public:
    explicit MenuAnswer(UINT chooseId, std::function<void()> whileOpen = {});
    ~MenuAnswer();
    MenuAnswer(const MenuAnswer&) = delete;
    MenuAnswer& operator=(const MenuAnswer&) = delete;

    const SeenMenu& Seen() const { return seen_; }

  private:
    static LRESULT CALLBACK OnOwnerMessage(int code, WPARAM wParam, LPARAM lParam);
    void TakeInitMenuPopup(HWND owner, HMENU menu);
    void TakeIdleMenu(HWND menuWindow);

    UINT chooseId_;
    std::function<void()> whileOpen_;
    HHOOK hook_ = nullptr;
    HMENU menu_ = nullptr;
    bool read_ = false;
    bool answered_ = false;
    int presses_ = 0;
    SeenMenu seen_;
};

// Clicks a push button as the mouse does: the cursor is put on its centre, then button down and
// up are posted to it and run through the program's loop. Yields the click's screen position.
POINT ClickButton(HWND dialog, int buttonId);
