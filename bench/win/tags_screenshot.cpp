// A tagged album just dropped, for the screenshot in docs/tags.png: TagLib writes eight MP3s
// with their tags into C:\Musik, the program reads them as after a drop, and the
// third track is selected. Prints the dialog's screen rectangle, then keeps the dialog up for
// the given number of seconds. Usage: tags_screenshot [seconds]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/shell_win.h"
#include "screenshot_hold.h"
#include "gui/harness.h"
#include "support/files_win.h"
#include "support/tagged_files.h"

namespace {

const char16_t* const kTitles[] = {u"Hunter",        u"Jóga",    u"Unravel",  u"Bachelorette",
                                   u"All Neon Like", u"5 Years", u"Immature", u"Alarm Call"};

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 20;
    const std::u16string folder = u"C:\\Musik\\Björk - Homogenic (1997)\\";
    support::MakeFolders(folder);
    std::vector<std::u16string> paths;
    int number = 1;
    for (const char16_t* title : kTitles) {
        const std::u16string path = folder + Decimal(number, 2) + u" " + title + u".mp3";
        WriteTaggedMp3(std::filesystem::path(std::wstring(path.begin(), path.end())), title,
                       u"Björk", u"Homogenic", Decimal(number) + u"/10");
        paths.push_back(path);
        ++number;
    }
    HWND dialog = OpenFreshDialog();
    if (dialog == nullptr) return 1;
    SetWindowPos(dialog, nullptr, 40, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    DropFiles(dialog, paths);
    PumpUntil([] { return Track(7) != nullptr && !Track(7)->fields[kTitle].IsEmpty(); }, 20000);
    SelectRows(dialog, {2});
    InvalidateRect(dialog, nullptr, TRUE);
    UpdateWindow(dialog);

    HoldForScreenshot(dialog, seconds);
    support::RemoveTree(u"C:\\Musik\\");
    return 0;
}
