// Times the whole launcher write for 10,000 tracks on the real dialog under Wine: from the click
// on "Batch (.hta) &speichern" until the message " wurde geschrieben." appears. The tracks are
// files in 100 folders, as dropped ones are, so the check of their outputs reads real folders.
// Last, the same with covers: each album of 10 tracks carries a picture of its own (1,000 of
// 50 KB), which the save writes once into the folder of covers beside the launcher.
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
#include "outputs/output_check_win.h"
#include "resources/control_ids.h"
#include "support/files_win.h"

using namespace support;

namespace {

constexpr int kTracks = 10000;
constexpr int kRounds = 9;
constexpr int kTracksPerAlbum = 10;
constexpr size_t kPictureBytes = 50 * 1024;

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

// An MP3 source with an ID3v2.3 tag holding one front cover: a JPEG-like picture (its start
// and end marks around filler) that differs for each album.
std::string SourceWithCover(int album) {
    std::string picture = "\xFF\xD8\xFF\xE0";
    picture.resize(kPictureBytes - 2, static_cast<char>('a' + album % 26));
    for (int shift = 0; shift < 32; shift += 8)
        picture[8 + shift / 8] = static_cast<char>((album >> shift) & 0xFF);
    picture += "\xFF\xD9";
    std::string frame = std::string("\0image/jpeg\0", 12) + '\x03' + '\0' + picture;
    std::string tag = "APIC";
    for (int shift = 24; shift >= 0; shift -= 8)
        tag += static_cast<char>((frame.size() >> shift) & 0xFF);
    tag += std::string(2, '\0') + frame;
    std::string header = std::string("ID3\x03\0\0", 6);
    for (int shift = 21; shift >= 0; shift -= 7)
        header += static_cast<char>((tag.size() >> shift) & 0x7F);
    return header + tag + AudioBytes("");
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
    OpenDialogState()->output.cover = false;
    std::printf("%d tracks in the list\n", ListCount(dialog));

    // The output check alone, on the same tracks (no output exists, so it shows nothing), with
    // no work alongside its search of the folders; in the write, the launcher's bytes are made
    // meanwhile.
    std::vector<double> check;
    for (int round = 0; round < kRounds; ++round) {
        const LONGLONG start = Now();
        OutputCheck outputCheck(OpenDialogState()->tracks, false, OpenDialogState()->output);
        if (outputCheck.RefuseClashes(dialog) != OutputCheckResult::kClear ||
            outputCheck.ConfirmExistingOutputs(dialog, false) != OutputCheckResult::kClear)
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

    // Covers: the sources rewritten with a picture per album and dropped again, saved beside
    // them; the first save writes the pictures, each later one finds them there.
    for (int i = 0; i < kTracks; ++i) WriteBytes(names[i], SourceWithCover(i / kTracksPerAlbum));
    CloseDialog(dialog);
    dialog = OpenFreshDialog();
    if (!dialog) return 1;
    SetFieldText(dialog, IDE_LAME_PATH, folder + u"lame.exe");
    const LONGLONG dropped = Now();
    DropFiles(dialog, names);
    const auto everyCoverIn = [] {
        const PointerArray<TrackRecord>& tracks = OpenDialogState()->tracks;
        // (The first track, a ".wav" name, is not read as an MP3.)
        for (uint32_t i = 1; i < tracks.Count(); ++i)
            if (tracks.GetAt(i)->cover.source == CoverSource::kNone) return false;
        return tracks.Count() == kTracks;
    };
    if (!WaitUntil(everyCoverIn, 300000, [] { PumpMessages(); })) {
        std::printf("the covers did not arrive\n");
        return 1;
    }
    std::printf("with a cover per album of %d tracks (%d pictures of %zu bytes):\n",
                kTracksPerAlbum, kTracks / kTracksPerAlbum, kPictureBytes);
    std::printf("drop to the last track's cover: %.0f ms\n", Milliseconds(Now() - dropped));
    std::vector<double> coverUntilMessage, coverWhole;
    const std::u16string covers = music + u"Lame-Aufruf-Cover\\";
    {
        DeleteFileW(reinterpret_cast<const wchar_t*>(launcher.c_str()));
        MessageBoxRecorder recorder;
        const LONGLONG start = Now();
        PressBatchButton(dialog);
        if (recorder.Texts() !=
            std::vector<std::u16string>{u"Lame-Aufruf.hta wurde geschrieben."}) {
            std::printf("unexpected messages\n");
            return 1;
        }
        std::printf("first save, writing the pictures: %.0f ms to the message, %zu files\n",
                    Milliseconds(recorder.FirstShownAt() - start), FolderNames(covers).size());
    }
    if (!timeWrites(coverUntilMessage, coverWhole, bytes)) return 1;
    std::printf("launcher: %zu bytes\n", bytes);
    std::printf("click to \" wurde geschrieben.\": min %.1f ms, median %.1f ms, max %.1f ms\n",
                coverUntilMessage.front(), coverUntilMessage[kRounds / 2],
                coverUntilMessage.back());
    CloseDialog(dialog);
    RemoveTree(folder);
    return 0;
}
