#include "launcher/cover_files_win.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <new>

#include "foundation/long_path.h"
#include "tracks/cover_picture.h"
#include "tracks/source_tags.h"
#include "win/make_folders_win.h"
#include "win/utf16_cast.h"

namespace {

// A track with a picture, ordered so that the tracks sharing a picture stand together.
struct Wanted {
    uint64_t hash;
    CoverSource source;
    uint32_t track;
};

bool SamePicture(const Wanted& a, const Wanted& b) {
    return a.hash == b.hash && a.source == b.source;
}

uint64_t SizeOfFile(const WideString& path) {
    WideString holder;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(AsWide(PathForFileCalls(path.Text(), holder)), GetFileExInfoStandard,
                              &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return UINT64_MAX;
    return (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// Writes the picture through a temporary name, so that a half-written file never stands
// under a picture's name.
bool WritePicture(const WideString& path, const unsigned char* bytes, uint32_t size) {
    WideString temporary = path;
    temporary.Append(u".tmp");
    WideString holder, targetHolder;
    HANDLE file = CreateFileW(AsWide(PathForFileCalls(temporary.Text(), holder)), GENERIC_WRITE, 0,
                              nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool complete = WriteFile(file, bytes, size, &written, nullptr) && written == size;
    CloseHandle(file);
    if (complete &&
        MoveFileExW(AsWide(PathForFileCalls(temporary.Text(), holder)),
                    AsWide(PathForFileCalls(path.Text(), targetHolder)), MOVEFILE_REPLACE_EXISTING))
        return true;
    DeleteFileW(AsWide(PathForFileCalls(temporary.Text(), holder)));
    return false;
}

// The file for a picture embedded in the tracks of [first, end): kept where the folder holds
// it already (the name says its content), else read again from one of their sources and
// written. Empty when none of them gives the picture any more, or it cannot be written.
WideString EmbeddedPictureFile(const PointerArray<TrackRecord>& tracks, const Wanted* first,
                               const Wanted* end, const WideString& folder, bool& folderMade) {
    const TrackCover& cover = tracks.GetAt(first->track)->cover;
    WideString path = folder;
    path.Append(CoverFileName(cover.hash, PictureExtension(cover.kind)));
    if (SizeOfFile(path) == cover.size) return path;
    for (const Wanted* wanted = first; wanted != end; ++wanted) {
        PictureBytes bytes;
        const TrackRecord& record = *tracks.GetAt(wanted->track);
        if (!ReadEmbeddedCover(record.fields[kPath].Text(), bytes) ||
            PictureHash(bytes.data.get(), bytes.size) != cover.hash)
            continue;
        if (!folderMade) {
            MakeMissingFolders(folder.Text());
            folderMade = true;
        }
        if (WritePicture(path, bytes.data.get(), bytes.size)) return path;
        break;
    }
    return WideString();
}

}  // namespace

bool GatherCoverFiles(const PointerArray<TrackRecord>& tracks, const WideString& launcherPath,
                      TrackCoverFiles& covers) {
    const uint32_t count = tracks.Count();
    if (!covers.Reset(count)) return false;
    std::unique_ptr<Wanted[]> wanted(new (std::nothrow) Wanted[count > 0 ? count : 1]);
    if (!wanted) return false;
    uint32_t wantedCount = 0;
    for (uint32_t i = 0; i < count; ++i) {
        const TrackRecord* record = tracks.GetAt(i);
        if (record && record->cover.source != CoverSource::kNone)
            wanted[wantedCount++] = {record->cover.hash, record->cover.source, i};
    }
    std::sort(wanted.get(), wanted.get() + wantedCount, [](const Wanted& a, const Wanted& b) {
        return a.hash != b.hash       ? a.hash < b.hash
               : a.source != b.source ? a.source < b.source
                                      : a.track < b.track;
    });

    // The launcher's folder, with its trailing backslash, then the folder of covers.
    WideString folder = launcherPath;
    folder.Truncate(static_cast<uint32_t>(folder.FindLastChar(u'\\') + 1));
    folder.Append(kCoverFolderName);
    folder.Append(u"\\");
    bool folderMade = false;
    for (uint32_t at = 0; at < wantedCount;) {
        uint32_t end = at + 1;
        while (end < wantedCount && SamePicture(wanted[end], wanted[at])) ++end;
        // An album folder's image is given by its own path; an embedded picture by its file.
        const WideString file =
            wanted[at].source == CoverSource::kFolder
                ? tracks.GetAt(wanted[at].track)->cover.folderImage
                : EmbeddedPictureFile(tracks, &wanted[at], &wanted[end], folder, folderMade);
        if (!file.IsEmpty()) {
            const uint32_t number = covers.AddFile(file);
            if (number == 0) {
                covers.Reset(count);
                return false;
            }
            for (uint32_t k = at; k < end; ++k) covers.Give(wanted[k].track, number);
        }
        at = end;
    }
    return true;
}
