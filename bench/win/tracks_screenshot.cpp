// Shows the dialog with a dozen tracks, two of them selected, for a screenshot of the
// file list (docs/tracks.png). Prints the dialog's screen rectangle, then keeps the
// dialog up for the given number of seconds. With "ctrl-a", the first track is clicked and
// Ctrl+A pressed in "Künstler:" instead. Usage: tracks_screenshot [seconds [ctrl-a]]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>
#include <vector>

#include "app/shell_win.h"
#include "screenshot_hold.h"
#include "gui/harness.h"
#include "resources/control_ids.h"
#include "tracks/track_record.h"

namespace {

struct Sample {
    const char16_t* path;
    const char16_t* tags[7];  // artist, album, title, comment, year, track number, genre
};

const Sample kSamples[] = {
    {u"C:\\Musik\\Queen\\Jazz\\01 Mustapha.wav",
     {u"Queen", u"Jazz", u"Mustapha", nullptr, u"1978", u"1", u"Rock"}},
    {u"C:\\Musik\\Queen\\Jazz\\02 Fat Bottomed Girls.wav",
     {u"Queen", u"Jazz", u"Fat Bottomed Girls", nullptr, u"1978", u"2", u"Rock"}},
    {u"C:\\Musik\\Queen\\Jazz\\03 Jealousy.wav",
     {u"Queen", u"Jazz", u"Jealousy", nullptr, u"1978", u"3", u"Rock"}},
    {u"C:\\Musik\\a.wav", {}},
    {u"D:\\Aufnahmen\\Konzert 1998\\Seite A.flac",
     {nullptr, u"Konzert 1998", nullptr, u"Mitschnitt", nullptr, nullptr, nullptr}},
    {u"D:\\Archiv\\Schallplatten digitalisiert\\Klassik\\Johann Sebastian Bach\\Das "
     u"Wohltemperierte Klavier, Teil 1\\Präludium und Fuge C-Dur BWV 846.wav",
     {u"J. S. Bach", nullptr, u"Präludium und Fuge C-Dur", nullptr, nullptr, nullptr, u"Klassik"}},
    {u"E:\\mp3\\Simon & Garfunkel - Mrs. Robinson.mp3",
     {u"Simon & Garfunkel", nullptr, u"Mrs. Robinson", nullptr, nullptr, nullptr, nullptr}},
    {u"E:\\mp3\\The_Beatles-Help.mp3",
     {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, u"Pop"}},
    {u"E:\\Hörbücher\\Kapitel 12.ogg", {nullptr, nullptr, nullptr, nullptr, nullptr, u"12"}},
    {u"C:\\Users\\Musik\\Eigene Aufnahmen\\Probe 2024-03-17\\Take 4 (final).wav", {}},
    {u"F:\\Sampler\\Sommerhits\\CD 2\\17 Unbekannter Interpret - Titel ohne Namen.wav",
     {nullptr, u"Sommerhits", nullptr, nullptr, u"2003", nullptr, nullptr}},
    {u"C:\\Musik\\Queen\\Jazz", {}},
};

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 20;
    HWND dialog = OpenFreshDialog();
    if (dialog == nullptr) return 1;
    std::vector<std::u16string> paths;
    for (const Sample& sample : kSamples) paths.emplace_back(sample.path);
    DropFiles(dialog, paths);
    for (int i = 0; i < static_cast<int>(std::size(kSamples)); ++i) {
        for (int tag = 0; tag < 7; ++tag) {
            Track(i)->fields[kFirstTag + tag].AssignText(kSamples[i].tags[tag]);
        }
    }
    if (argc > 2 && std::string(argv[2]) == "ctrl-a") {
        SelectRows(dialog, {0});
        SetFocus(GetDlgItem(dialog, IDE_ARTIST));
        SendKeyThroughLoop(dialog, 'A', true);
    } else {
        SelectRows(dialog, {1, 2});
        SetFocus(GetDlgItem(dialog, IDL_FILES));
    }
    InvalidateRect(dialog, nullptr, TRUE);
    UpdateWindow(dialog);

    HoldForScreenshot(dialog, seconds);
    return 0;
}
