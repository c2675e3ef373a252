#include "sources/folder_cover_win.h"

#include <windows.h>

#include <memory>
#include <new>

#include "sources/cover_picture.h"
#include "sources/source_file.h"
#include "win/file_calls_win.h"
#include "win/utf16_cast.h"

namespace {

// The folder's file names that could be a cover (none longer than the longest candidate), in
// one array as ChooseFolderCover takes them.
struct FolderNames {
    std::unique_ptr<WideString[]> names;
    uint32_t count = 0;
    uint32_t room = 0;

    bool Add(const char16_t* name) {
        if (count == room) {
            const uint32_t grown = room < 16 ? 16 : room * 2;
            std::unique_ptr<WideString[]> bigger(new (std::nothrow) WideString[grown]);
            if (!bigger) return false;
            for (uint32_t i = 0; i < count; ++i) bigger[i] = names[i];
            names = std::move(bigger);
            room = grown;
        }
        names[count++].AssignText(name);
        return true;
    }
};

bool ListFolder(const WideString& folder, FolderNames& list) {
    WideString pattern;
    pattern.Assign(folder).Append(u"*");
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileAt(pattern.Text(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    bool listed = true;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
        const char16_t* name = FromWide(found.cFileName);
        if (TextLength(name) > kFolderCoverNameMaxLength) continue;
        if (!list.Add(name)) listed = false;
    } while (listed && FindNextFileW(search, &found));
    FindClose(search);
    return listed;
}

// Reads the whole image, if it is no larger than a cover may be, and describes it.
bool JudgeImage(const WideString& path, TrackCover& cover) {
    SourceFile* file = OpenSourceFile(path.Text());
    if (file == nullptr) return false;
    const uint64_t size = SourceFileSize(*file);
    bool judged = false;
    if (size > 0 && size <= kCoverMaxBytes) {
        std::unique_ptr<unsigned char[]> bytes(new (std::nothrow) unsigned char[size]);
        uint32_t read = 0;
        while (bytes && read < size) {
            const uint32_t more =
                ReadSourceFile(*file, read, bytes.get() + read, static_cast<uint32_t>(size) - read);
            if (more == 0) break;
            read += more;
        }
        const PictureKind kind =
            read == size ? JudgePicture(bytes.get(), read) : PictureKind::kNone;
        if (kind != PictureKind::kNone) {
            cover.source = CoverSource::kFolder;
            cover.kind = kind;
            cover.size = read;
            cover.hash = PictureHash(bytes.get(), read);
            judged = true;
        }
    }
    CloseSourceFile(file);
    return judged;
}

}  // namespace

namespace {

TrackCover ChooseAmong(const WideString& folder, FolderNames& list) {
    TrackCover cover;
    for (;;) {
        const int chosen = ChooseFolderCover(list.names.get(), list.count);
        if (chosen < 0) break;
        WideString path;
        path.Assign(folder).Append(list.names[chosen]);
        if (JudgeImage(path, cover)) {
            cover.folderImage = path;
            break;
        }
        // Its bytes are no picture (or it could not be read): the next candidate.
        list.names[chosen].Clear();
    }
    return cover;
}

}  // namespace

TrackCover FindFolderCover(const WideString& folder) {
    FolderNames list;
    if (folder.IsEmpty() || !ListFolder(folder, list)) return TrackCover();
    return ChooseAmong(folder, list);
}

TrackCover FindFolderCoverAmong(const WideString& folder, const char16_t* names) {
    FolderNames list;
    for (; *names != u'\0'; names += TextLength(names) + 1)
        if (TextLength(names) <= kFolderCoverNameMaxLength && !list.Add(names))
            return FindFolderCover(folder);
    return ChooseAmong(folder, list);
}
