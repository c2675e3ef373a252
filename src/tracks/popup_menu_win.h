// What the pop-up menus of the "<" buttons share: showing one and reading a chosen item.
#pragma once
#include <windows.h>
#include "foundation/wide_string.h"

// Shows the menu owned by `owner` (the main dialog) with its top left corner at the screen
// position of the last message (normally the click on the button). Yields the chosen id, 0 when
// dismissed.
UINT TrackMenuAtMessagePos(HWND owner, HMENU menu);
// The whole text of a menu item by command, ampersands as stored.
WideString MenuItemText(HMENU menu, UINT id);
