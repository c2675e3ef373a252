// A library dropped as its root folder, the listing under way, for the screenshot in
// docs/folder-drop.png: TagLib writes three artists' albums (with a cover and notes beside each)
// into C:\Musik, the program lists them and holds at the last album's folder, so that the rows
// found so far and the count in the title show. Prints the dialog's screen rectangle, then keeps
// the dialog up for the given number of seconds. Usage: folder_drop_screenshot [seconds]
#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "gui/harness.h"
#include "screenshot_hold.h"
#include "support/files_win.h"
#include "support/tagged_files.h"
#include "tracks/folder_drop_win.h"

namespace {

struct Album {
    const char16_t* artist;
    const char16_t* album;
    int tracks;
};
const Album kAlbums[] = {{u"Björk", u"Homogenic", 10},
                         {u"Björk", u"Vespertine", 12},
                         {u"Kraftwerk", u"Computerwelt", 7},
                         {u"Kraftwerk", u"Die Mensch-Maschine", 6},
                         {u"Sigur Rós", u"Takk...", 11}};

HANDLE g_hold = nullptr;

// The last album's folder answers only when the program ends, as a share that stalls.
void HoldAtLastAlbum(const char16_t* folder) {
    if (std::u16string(folder).find(u"Takk") != std::u16string::npos)
        WaitForSingleObject(g_hold, INFINITE);
}

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 20;
    const std::u16string root = u"C:\\Musik";
    for (const Album& album : kAlbums) {
        const std::u16string folder = root + u"\\" + album.artist + u"\\" + album.album + u"\\";
        support::MakeFolders(folder);
        support::WriteBytes(folder + u"cover.jpg", "\xFF\xD8\xFF");
        support::WriteBytes(folder + u"Notizen.txt", "Notizen");
        for (int number = 1; number <= album.tracks; ++number) {
            const std::u16string title = u"Titel " + Decimal(number);
            const std::u16string path = folder + Decimal(number, 2) + u" " + title + u".mp3";
            WriteTaggedMp3(std::filesystem::path(std::wstring(path.begin(), path.end())), title,
                           album.artist, album.album,
                           Decimal(number) + u"/" + Decimal(album.tracks));
        }
    }
    HWND dialog = OpenFreshDialog();
    if (dialog == nullptr) return 1;
    SetWindowPos(dialog, nullptr, 40, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    g_hold = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    OpenDialogState()->folderVisit = HoldAtLastAlbum;
    DropFiles(dialog, {root});
    PumpUntil([] { return Track(34) != nullptr && !Track(34)->fields[kTitle].IsEmpty(); }, 20000);
    SelectRows(dialog, {12});
    InvalidateRect(dialog, nullptr, TRUE);
    UpdateWindow(dialog);

    HoldForScreenshot(dialog, seconds);
    support::RemoveTree(root + u"\\");
    return 0;
}
