#include "launcher/cover_files_win.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <new>

#include "foundation/path_parts.h"
#include "sources/cover_reading_win.h"
#include "sources/cover_picture.h"
#include "sources/source_tags.h"
#include "win/file_calls_win.h"
#include "win/make_folders_win.h"

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
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!FileAttributeDataAt(path.Text(), data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return UINT64_MAX;
    return (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// Writes the picture through a temporary name, so that a half-written file never stands
// under a picture's name.
bool WritePicture(const WideString& path, const unsigned char* bytes, uint32_t size) {
    WideString temporary = path;
    temporary.Append(u".tmp");
    HANDLE file =
        OpenFileAt(temporary.Text(), GENERIC_WRITE, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool complete = WriteFile(file, bytes, size, &written, nullptr) && written == size;
    CloseHandle(file);
    if (complete && MoveFileAt(temporary.Text(), path.Text(), MOVEFILE_REPLACE_EXISTING))
        return true;
    DeleteFileAt(temporary.Text());
    return false;
}

constexpr uint32_t kNoPicture = UINT32_MAX;

// The tracks of wanted[first, end) share a picture: its file, known, or to be written from
// the picture the reading gives.
struct CoverGroup {
    uint32_t first;
    uint32_t end;
    uint32_t picture;  // its number in the reading; kNoPicture when the file is known
    WideString file;
};

}  // namespace

struct CoverPlan {
    std::unique_ptr<Wanted[]> wanted;
    std::unique_ptr<CoverGroup[]> groups;
    uint32_t groupCount = 0;
    WideString folder;  // kCoverFolderName beside the launcher, with its trailing backslash
    CoverReading* reading = nullptr;

    ~CoverPlan() { EndCoverReading(reading); }
};

namespace {

// The group of tracks sharing one picture embedded in their sources: its file is kept where
// the folder holds it already (the name says its content), else its picture is read again
// from the first of them that still gives it.
bool PlanEmbeddedPicture(CoverPlan& plan, const PointerArray<TrackRecord>& tracks,
                         CoverGroup& group, uint32_t& pictures) {
    const TrackCover& cover = tracks.GetAt(plan.wanted[group.first].track)->cover;
    group.file = plan.folder;
    group.file.Append(CoverFileName(cover.hash, PictureExtension(cover.kind)));
    if (SizeOfFile(group.file) == cover.size) return true;
    if (!AddCoverPicture(*plan.reading, cover.hash)) return false;
    group.picture = pictures++;
    for (uint32_t k = group.first; k < group.end; ++k) {
        if (!AddCoverSource(*plan.reading, tracks.GetAt(plan.wanted[k].track)->fields[kPath]))
            return false;
    }
    return true;
}

// Writes the group's picture, read again, into the folder; false when it was not read or
// cannot be written.
bool WriteGroupPicture(CoverPlan& plan, const CoverGroup& group, bool& folderMade) {
    const WideString& folder = plan.folder;
    PictureBytes bytes;
    if (TakeCoverPicture(*plan.reading, group.picture, bytes)) {
        if (!folderMade) {
            MakeMissingFolders(folder.Text());
            folderMade = true;
        }
        return WritePicture(group.file, bytes.data.get(), bytes.size);
    }
    return false;
}

}  // namespace

CoverPlan* PlanCoverFiles(const PointerArray<TrackRecord>& tracks, const WideString& launcherPath,
                          CoverFileReader read) {
    std::unique_ptr<CoverPlan> plan(new (std::nothrow) CoverPlan);
    if (!plan) return nullptr;
    plan->reading = NewCoverReading(read);
    const uint32_t count = tracks.Count();
    plan->wanted.reset(new (std::nothrow) Wanted[count > 0 ? count : 1]);
    plan->groups.reset(new (std::nothrow) CoverGroup[count > 0 ? count : 1]);
    if (plan->reading == nullptr || !plan->wanted || !plan->groups) return nullptr;
    Wanted* wanted = plan->wanted.get();
    uint32_t wantedCount = 0;
    for (uint32_t i = 0; i < count; ++i) {
        const TrackRecord* record = tracks.GetAt(i);
        if (record && record->cover.source != CoverSource::kNone)
            wanted[wantedCount++] = {record->cover.hash, record->cover.source, i};
    }
    std::sort(wanted, wanted + wantedCount, [](const Wanted& a, const Wanted& b) {
        return a.hash != b.hash       ? a.hash < b.hash
               : a.source != b.source ? a.source < b.source
                                      : a.track < b.track;
    });

    // The launcher's folder, with its trailing backslash, then the folder of covers.
    plan->folder = launcherPath;
    plan->folder.Truncate(FolderLengthOf(plan->folder.Text()));
    plan->folder.Append(kCoverFolderName);
    plan->folder.Append(u"\\");
    uint32_t pictures = 0;
    for (uint32_t at = 0; at < wantedCount;) {
        uint32_t end = at + 1;
        while (end < wantedCount && SamePicture(wanted[end], wanted[at])) ++end;
        CoverGroup& group = plan->groups[plan->groupCount++];
        group = CoverGroup{at, end, kNoPicture, WideString()};
        // An album folder's image is given by its own path; an embedded picture by its file.
        if (wanted[at].source == CoverSource::kFolder) {
            group.file = tracks.GetAt(wanted[at].track)->cover.folderImage;
        } else if (!PlanEmbeddedPicture(*plan, tracks, group, pictures)) {
            return nullptr;
        }
        at = end;
    }
    // Without its thread, no picture is read again and their tracks go without a cover.
    if (pictures > 0) StartCoverReading(*plan->reading);
    return plan.release();
}

CoverReading& CoverPlanReading(CoverPlan& plan) {
    return *plan.reading;
}

bool WriteCoverFiles(CoverPlan& plan, uint32_t trackCount, TrackCoverFiles& covers) {
    if (!covers.Reset(trackCount)) return false;
    bool folderMade = false;
    for (uint32_t g = 0; g < plan.groupCount; ++g) {
        const CoverGroup& group = plan.groups[g];
        if (group.picture != kNoPicture && !WriteGroupPicture(plan, group, folderMade)) continue;
        if (group.file.IsEmpty()) continue;
        const uint32_t number = covers.AddFile(group.file);
        if (number == 0) {
            covers.Reset(trackCount);
            return false;
        }
        for (uint32_t k = group.first; k < group.end; ++k)
            covers.Give(plan.wanted[k].track, number);
    }
    return true;
}

void EndCoverPlan(CoverPlan* plan) {
    delete plan;
}
