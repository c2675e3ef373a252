// A folder that exists is known by its identity, one that does not yet by its nearest existing
// ancestor's and the rest of its full path; a name within a folder is compared as the file
// system compares it. Files are opened only where an output exists already: a name that is not
// there cannot be a source, and under Wine each open that fails costs a search of its folder.
#include "outputs/output_identity_win.h"

#include <windows.h>

#include <cstring>
#include <memory>
#include <new>

#include "outputs/output_identity.h"
#include "outputs/same_file_names.h"
#include "win/file_calls_win.h"
#include "win/full_path_win.h"

namespace {

// FILE_ID_INFO and its class, from Windows 8 on; the headers show them only to programs that
// need Windows 8. On Windows 7 the call fails and the older 64-bit index is read.
struct FileIdInformation {
    ULONGLONG volumeSerialNumber;
    BYTE identifier[16];
};
constexpr auto kFileIdInfo = static_cast<FILE_INFO_BY_HANDLE_CLASS>(18);

bool ReadIdentity(const char16_t* path, FileIdentity& identity) {
    // No access asked beyond the attributes: a file another program holds is still known.
    HANDLE file = OpenFileAt(path, FILE_READ_ATTRIBUTES,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING,
                             FILE_FLAG_BACKUP_SEMANTICS);
    if (file == INVALID_HANDLE_VALUE) return false;
    FileIdInformation info;
    bool read = GetFileInformationByHandleEx(file, kFileIdInfo, &info, sizeof(info));
    if (read) {
        identity.volume = info.volumeSerialNumber;
        std::memcpy(identity.id, info.identifier, sizeof(identity.id));
    } else {
        // Before Windows 8, and on file systems without 128-bit IDs.
        BY_HANDLE_FILE_INFORMATION older;
        read = GetFileInformationByHandle(file, &older);
        identity = {};
        identity.volume = older.dwVolumeSerialNumber;
        const uint64_t index = (uint64_t(older.nFileIndexHigh) << 32) | older.nFileIndexLow;
        std::memcpy(identity.id, &index, sizeof(index));
    }
    const DWORD error = GetLastError();
    CloseHandle(file);
    SetLastError(error);
    return read;
}

WideString IdentityText(const FileIdentity& identity) {
    WideString text;
    if (text.PrepareBuffer(kIdentityTextLength)) {
        WriteIdentityText(identity, text.Buffer());
        text.Truncate(kIdentityTextLength);
    }
    return text;
}

WideString Slice(const char16_t* text, uint32_t length) {
    WideString slice;
    slice.AssignText(text, length);
    return slice;
}

// "D:\" or "\\server\share\": where the walk up a missing folder's path ends.
uint32_t RootLength(const char16_t* full, uint32_t length) {
    if (length >= 3 && full[1] == u':' && full[2] == u'\\') return 3;
    if (length < 2 || full[0] != u'\\' || full[1] != u'\\') return 0;
    uint32_t at = 2;
    for (int names = 0; names < 2; ++names) {
        while (at < length && full[at] != u'\\') ++at;
        if (at == length) return 0;
        ++at;
    }
    return at;
}

// Each full folder path (ending in a backslash) resolved once, its ancestors first, in a table
// open-addressed by the path's key. A folder under a missing one is missing too and is not
// looked for: the folders a pattern names are mostly still to be made.
class FolderKeys {
  public:
    // The folder's key; empty when memory ran out. missing: the folder is not there.
    WideString KeyOf(const char16_t* full, uint32_t length, bool& missing) {
        const uint64_t hash = FileNameKey(full, length);
        if (const Entry* known = Find(full, length, hash); known && known->used) {
            missing = known->missing;
            return known->key;
        }
        WideString key = Resolve(full, length, missing);
        if (key.IsEmpty() || !Remember(full, length, hash, key, missing)) return {};
        return key;
    }

  private:
    struct Entry {
        bool used = false;
        uint64_t hash = 0;
        WideString path, key;
        bool missing = false;
    };
    std::unique_ptr<Entry[]> table_;
    uint32_t capacity_ = 0, used_ = 0;

    Entry* Find(const char16_t* full, uint32_t length, uint64_t hash) const {
        if (capacity_ == 0) return nullptr;
        for (uint32_t slot = uint32_t(hash) & (capacity_ - 1);;
             slot = (slot + 1) & (capacity_ - 1)) {
            Entry& entry = table_[slot];
            if (!entry.used || (entry.hash == hash &&
                                SameFileName(entry.path.Text(), entry.path.Length(), full, length)))
                return &entry;
        }
    }

    bool Remember(const char16_t* full, uint32_t length, uint64_t hash, const WideString& key,
                  bool missing) {
        if (2 * (used_ + 1) > capacity_) {
            const uint32_t grown = capacity_ ? 2 * capacity_ : 64;
            std::unique_ptr<Entry[]> old(std::move(table_));
            table_.reset(new (std::nothrow) Entry[grown]);
            if (!table_) return false;
            const uint32_t oldCapacity = capacity_;
            capacity_ = grown;
            for (uint32_t i = 0; i < oldCapacity; ++i)
                if (old[i].used)
                    *Find(old[i].path.Text(), old[i].path.Length(), old[i].hash) = old[i];
        }
        Entry& entry = *Find(full, length, hash);
        entry = {true, hash, Slice(full, length), key, missing};
        ++used_;
        return !entry.path.IsEmpty();
    }

    WideString Resolve(const char16_t* full, uint32_t length, bool& missing) {
        missing = false;
        const uint32_t root = RootLength(full, length);
        uint32_t parent = length - 1;
        while (parent > 0 && full[parent - 1] != u'\\') --parent;
        // A missing folder is its nearest existing ancestor's identity and the rest of its path.
        WideString parentKey;
        if (root > 0 && length > root && parent >= root) {
            bool parentMissing = false;
            parentKey = KeyOf(full, parent, parentMissing);
            if (parentKey.IsEmpty()) return {};
            if (parentMissing) {
                missing = true;
                return parentKey.Append(Slice(full + parent, length - parent));
            }
        }
        // A root is opened with its backslash, any other folder without.
        const WideString opened = Slice(full, length > root ? length - 1 : length);
        FileIdentity identity;
        if (ReadIdentity(opened.Text(), identity)) return IdentityText(identity);
        const DWORD error = GetLastError();
        if ((error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) &&
            !parentKey.IsEmpty()) {
            missing = true;
            return parentKey.Append(Slice(full + parent, length - parent));
        }
        // Neither there nor under a folder that is: known by its full path alone.
        WideString key;
        key.AssignText(u"?");
        return key.Append(opened);
    }
};

bool MayBeShortName(const char16_t* name) {
    for (; *name; ++name)
        if (*name == u'~') return true;
    return false;
}

uint32_t FolderLength(const char16_t* path, uint32_t length) {
    while (length > 0 && path[length - 1] != u'\\') --length;
    return length;  // the backslash included
}

}  // namespace

int64_t FindIdentityClashes(const PointerArray<TrackRecord>& tracks, const TrackOutputs& outputs,
                            const bool* existing, bool* clashing, const std::atomic<bool>* stop) {
    const uint32_t count = outputs.Count();
    // Every source's and every output's folder (2i the source's, 2i + 1 the output's), each
    // run of one folder's text (a track's source and output beside it, an album's tracks) kept
    // once: grouping every folder of 10,000 tracks by its key would cost more than the opens.
    std::unique_ptr<NamedItem[]> folders(new (std::nothrow) NamedItem[2 * uint64_t(count) + 1]);
    std::unique_ptr<uint32_t[]> folderNumber(new (std::nothrow) uint32_t[2 * uint64_t(count) + 1]);
    if (!folders || !folderNumber) return -1;
    uint32_t used = 0;
    auto addFolder = [&](const char16_t* path, uint32_t length, uint32_t item) {
        const uint32_t folderLength = FolderLength(path, length);
        const NamedItem* last = used > 0 ? &folders[used - 1] : nullptr;
        if (!last || last->length != folderLength ||
            std::memcmp(last->name, path, folderLength * sizeof(char16_t))) {
            folders[used] = {path, folderLength, used};
            ++used;
        }
        folderNumber[item] = used - 1;  // for now the run's; its group's below
    };
    for (uint32_t i = 0; i < count; ++i) {
        clashing[i] = false;
        const OutputPath output = outputs.Output(i);
        if (output.IsEmpty()) continue;
        const WideString& source = tracks.GetAt(i)->fields[kPath];
        addFolder(source.Text(), source.Length(), 2 * i);
        addFolder(output.Text(), output.Length(), 2 * i + 1);
    }
    // Each folder named alike opened once; then the folders of one key numbered alike.
    GroupSameFileNames(folders.get(), used, SameFileName);
    FolderKeys folderKeys;
    std::unique_ptr<WideString[]> keys(new (std::nothrow) WideString[used + 1]);
    std::unique_ptr<NamedItem[]> distinct(new (std::nothrow) NamedItem[used + 1]);
    std::unique_ptr<uint32_t[]> groupOfRun(new (std::nothrow) uint32_t[used + 1]);
    if (!keys || !distinct || !groupOfRun) return -1;
    uint32_t groups = 0;
    for (uint32_t start = 0; start < used; ++groups) {
        if (stop && stop->load()) return -1;
        const uint32_t end = GroupEnd(folders.get(), used, start);
        WideString folder = Slice(folders[start].name, folders[start].length);
        if (folder.IsEmpty()) folder.AssignText(u".\\");
        const WideString full = FullPathOf(folder);
        bool missing = false;
        keys[groups] = folderKeys.KeyOf(full.Text(), full.Length(), missing);
        if (keys[groups].IsEmpty()) return -1;
        distinct[groups] = {keys[groups].Text(), keys[groups].Length(), groups};
        for (uint32_t k = start; k < end; ++k) groupOfRun[folders[k].item] = groups;
        start = end;
    }
    for (uint32_t i = 0; i < count; ++i) {
        if (outputs.Output(i).IsEmpty()) continue;
        folderNumber[2 * i] = groupOfRun[folderNumber[2 * i]];
        folderNumber[2 * i + 1] = groupOfRun[folderNumber[2 * i + 1]];
    }
    GroupSameFileNames(distinct.get(), groups, SameFileName);
    // Names need comparing only in a folder reached by two paths: within one path the check of
    // the paths has compared them.
    std::unique_ptr<uint32_t[]> identityOf(new (std::nothrow) uint32_t[groups + 1]);
    std::unique_ptr<bool[]> manyPaths(new (std::nothrow) bool[groups + 1]);
    if (!identityOf || !manyPaths) return -1;
    for (uint32_t start = 0, number = 0; start < groups; ++number) {
        const uint32_t end = GroupEnd(distinct.get(), groups, start);
        for (uint32_t k = start; k < end; ++k) {
            identityOf[distinct[k].item] = number;
            manyPaths[distinct[k].item] = end - start > 1;
        }
        start = end;
    }

    // Files by their own identity: each output that exists, and each source on a volume of
    // one (only a source there can be one of them).
    std::unique_ptr<FileIdentity[]> files(new (std::nothrow) FileIdentity[2 * uint64_t(count) + 1]);
    std::unique_ptr<uint32_t[]> fileTrack(new (std::nothrow) uint32_t[2 * uint64_t(count) + 1]);
    std::unique_ptr<uint64_t[]> volumes(new (std::nothrow) uint64_t[count + 1]);
    if (!files || !fileTrack || !volumes) return -1;
    uint32_t fileCount = 0, volumeCount = 0;
    for (uint32_t i = 0; i < count; ++i) {
        if (stop && stop->load()) return -1;
        // The search compared long names only: a name with a "~" may be a short one.
        const OutputPath output = outputs.Output(i);
        if (!(existing[i] || (!output.IsEmpty() && MayBeShortName(output.FileName()))) ||
            !ReadIdentity(output.Text(), files[fileCount]))
            continue;
        const uint64_t volume = files[fileCount].volume;
        fileTrack[fileCount++] = i;
        uint32_t v = 0;
        while (v < volumeCount && volumes[v] != volume) ++v;
        if (v == volumeCount) volumes[volumeCount++] = volume;
    }
    for (uint32_t v = 0; v < volumeCount; ++v) {
        FileIdentity onVolume;
        onVolume.volume = volumes[v];
        char16_t volumeText[kIdentityTextLength];
        WriteIdentityText(onVolume, volumeText);
        for (uint32_t i = 0; i < count; ++i) {
            if (stop && stop->load()) return -1;
            if (outputs.Output(i).IsEmpty()) continue;
            const WideString& folderKey = keys[folderNumber[2 * i]];
            if (folderKey.Length() >= 16 &&
                !std::memcmp(folderKey.Text(), volumeText, 16 * sizeof(char16_t)) &&
                ReadIdentity(tracks.GetAt(i)->fields[kPath].Text(), files[fileCount]))
                fileTrack[fileCount++] = i;
        }
    }

    // The keys in one block: each file's identity, then each source's and output's name after
    // its folder's number.
    uint64_t total = uint64_t(fileCount) * kIdentityTextLength;
    uint32_t itemCount = fileCount;
    for (uint32_t i = 0; i < count; ++i) {
        const OutputPath output = outputs.Output(i);
        if (output.IsEmpty()) continue;
        const WideString& source = tracks.GetAt(i)->fields[kPath];
        if (manyPaths[folderNumber[2 * i]]) {
            total += kFolderNumberLength + 1 + source.Length() -
                     FolderLength(source.Text(), source.Length());
            ++itemCount;
        }
        if (manyPaths[folderNumber[2 * i + 1]]) {
            total += kFolderNumberLength + 1 + TextLength(output.FileName());
            ++itemCount;
        }
    }
    std::unique_ptr<char16_t[]> block(new (std::nothrow) char16_t[total + 1]);
    std::unique_ptr<NamedItem[]> items(new (std::nothrow) NamedItem[itemCount + 1]);
    if (!block || !items || total >= UINT32_MAX) return -1;
    char16_t* at = block.get();
    used = 0;
    for (uint32_t f = 0; f < fileCount; ++f, at += kIdentityTextLength) {
        WriteIdentityText(files[f], at);
        items[used++] = {at, kIdentityTextLength, fileTrack[f]};
    }
    auto addName = [&](uint32_t folderItem, const char16_t* name, uint32_t length, uint32_t track) {
        if (!manyPaths[folderNumber[folderItem]]) return;
        items[used++] = {at, kFolderNumberLength + 1 + length, track};
        WriteFolderNumber(identityOf[folderNumber[folderItem]], at);
        at[kFolderNumberLength] = u'\\';
        std::memcpy(at + kFolderNumberLength + 1, name, length * sizeof(char16_t));
        at += kFolderNumberLength + 1 + length;
    };
    for (uint32_t i = 0; i < count; ++i) {
        const OutputPath output = outputs.Output(i);
        if (output.IsEmpty()) continue;
        const WideString& source = tracks.GetAt(i)->fields[kPath];
        const uint32_t sourceFolder = FolderLength(source.Text(), source.Length());
        addName(2 * i, source.Text() + sourceFolder, source.Length() - sourceFolder, i);
        addName(2 * i + 1, output.FileName(), TextLength(output.FileName()), i);
    }
    return FlagSameFileNames(items.get(), used, SameFileName, clashing);
}
