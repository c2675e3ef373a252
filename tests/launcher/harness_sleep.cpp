// Sleeps for the milliseconds its argument gives: the launcher harness waits for a timer with
// it, since Wine's WScript.Sleep is not implemented.
#include <windows.h>

#include <cwchar>

int wmain(int argc, wchar_t** argv) {
    if (argc > 1) Sleep(static_cast<DWORD>(std::wcstoul(argv[1], nullptr, 10)));
    return 0;
}
