// Times the whole launcher write for 10,000 tracks on the real dialog under Wine: from the click
// on "Batch (.hta) &speichern" until the message " wurde geschrieben." appears. The tracks are
// files in 100 folders, as dropped ones are, so the check of their outputs reads real folders.
//   tools/wine-run --prefix build/windows/wineprefix
//   build/windows/bench/win/launcher_write_bench.exe
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "gui/harness.h"
#include "gui/launcher_dialog.h"
#include "gui/message_box_hook.h"
#include "launcher/output_check_win.h"
#include "resources/control_ids.h"
#include "support/files_win.h"

using namespace support;

namespace {

constexpr int kTracks = 10000;
constexpr int kRounds = 9;

double Milliseconds(LONGLONG ticks) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(ticks) / static_cast<double>(frequency.QuadPart);
}

LONGLONG Now() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

}  // namespace

int main() {
    const std::u16string folder = MakeScratchFolder(u"bench");
    const std::u16string music = folder + u"Musik\\";
    MakeFolders(music);
    WriteBytes(folder + u"lame.exe", "MZ");
    const std::u16string launcher = music + u"Lame-Aufruf.hta";

    HWND dialog = OpenFreshDialog();
    if (!dialog) return 1;
    SetFieldText(dialog, IDE_LAME_PATH, folder + u"lame.exe");
    std::vector<std::u16string> names;
    for (int i = 0; i < kTracks; ++i) {
        const std::u16string n = Decimal(i);
        const std::u16string artist = music + u"Künstler " + Decimal(i / 100) + u"\\";
        if (i % 100 == 0) MakeFolders(artist);
        names.push_back(artist + n + u" - Rock'n'Roll Lied.mp3");
    }
    names[0] = music + u"erstes Lied.wav";
    // Sources the encoder can read, or the save would ask about them first.
    for (const std::u16string& name : names) WriteBytes(name, AudioBytes(""));
    DropFiles(dialog, names);
    std::vector<int> all(kTracks);
    for (int i = 0; i < kTracks; ++i) all[i] = i;
    SelectRows(dialog, all);
    TypeInto(dialog, IDE_ALBUM, u"Grüße \"live\"");
    ClickButton(dialog, IDX_ID3V2);
    std::printf("%d tracks in the list\n", ListCount(dialog));

    // The output check alone, on the same tracks (no output exists, so it shows nothing), with
    // no work alongside its search of the folders; in the write, the launcher's bytes are made
    // meanwhile.
    std::vector<double> check;
    for (int round = 0; round < kRounds; ++round) {
        const LONGLONG start = Now();
        OutputCheck outputCheck(OpenDialogState()->tracks, false, OpenDialogState()->output);
        if (outputCheck.RefuseClashes(dialog) != OutputCheckResult::kClear ||
            outputCheck.ConfirmExistingOutputs(dialog) != OutputCheckResult::kClear)
            return 1;
        check.push_back(Milliseconds(Now() - start));
    }
    std::sort(check.begin(), check.end());

    // Rounds of the whole write: click to message, and click to the message answered.
    const auto timeWrites = [&](std::vector<double>& untilMessage, std::vector<double>& whole,
                                size_t& bytes) {
        for (int round = 0; round < kRounds; ++round) {
            DeleteFileW(reinterpret_cast<const wchar_t*>(launcher.c_str()));
            MessageBoxRecorder recorder;
            const LONGLONG start = Now();
            PressBatchButton(dialog);
            const LONGLONG end = Now();
            if (recorder.Texts() !=
                std::vector<std::u16string>{u"Lame-Aufruf.hta wurde geschrieben."}) {
                std::printf("unexpected messages\n");
                return false;
            }
            untilMessage.push_back(Milliseconds(recorder.FirstShownAt() - start));
            whole.push_back(Milliseconds(end - start));
            bytes = ReadBytes(launcher).size();
        }
        std::sort(untilMessage.begin(), untilMessage.end());
        std::sort(whole.begin(), whole.end());
        return true;
    };
    std::vector<double> untilMessage, whole;
    size_t bytes = 0;
    if (!timeWrites(untilMessage, whole, bytes)) return 1;
    std::printf("launcher: %zu bytes\n", bytes);
    std::printf("click to \" wurde geschrieben.\": min %.1f ms, median %.1f ms, max %.1f ms\n",
                untilMessage.front(), untilMessage[kRounds / 2], untilMessage.back());
    std::printf("the output check alone:          min %.1f ms, median %.1f ms, max %.1f ms\n",
                check.front(), check[kRounds / 2], check.back());
    std::printf("click to message answered:       min %.1f ms, median %.1f ms, max %.1f ms\n",
                whole.front(), whole[kRounds / 2], whole.back());

    // The same tracks named by the album pattern from tags of their own, into a folder of their
    // own with the sources' folders kept (the folders do not exist: the launcher makes them).
    DialogState& state = *OpenDialogState();
    for (int i = 0; i < kTracks; ++i) {
        TrackRecord& record = *state.tracks.GetAt(uint32_t(i));
        record.fields[kArtist].AssignText((u"Künstler " + Decimal(i / 100)).c_str());
        record.fields[kAlbum].AssignText((u"Album " + Decimal(i / 12)).c_str());
        record.fields[kTitle].AssignText((u"Lied " + Decimal(i) + u" \"live\"").c_str());
        record.fields[kTrackNumber].AssignText(Decimal(i % 12 + 1).c_str());
        record.setByUser = ~0u;
    }
    state.output.ownFolder = true;
    state.output.folder.AssignText((folder + u"MP3 fürs Auto").c_str());
    state.output.keepSourceFolders = true;
    state.output.pattern.AssignText(u"<Interpret>\\<Album>\\<Nr> - <Titel>");
    std::vector<double> patternUntilMessage, patternWhole;
    if (!timeWrites(patternUntilMessage, patternWhole, bytes)) return 1;
    std::printf("with the album pattern into a folder of their own (%zu bytes):\n", bytes);
    std::printf("click to \" wurde geschrieben.\": min %.1f ms, median %.1f ms, max %.1f ms\n",
                patternUntilMessage.front(), patternUntilMessage[kRounds / 2],
                patternUntilMessage.back());
    CloseDialog(dialog);
    RemoveTree(folder);
    return 0;
}
