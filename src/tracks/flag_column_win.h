// The flag column at the right of each file list row.
#pragma once
#include <windows.h>

// Width of the widest flag text in the device context's font: the two blanks, then per tag
// its letter or '-', whichever is wider. The path stops this far from the row's right end.
LONG FlagColumnWidth(HDC dc);
