// A folder that exists is known by its identity, one that does not yet by its nearest existing
// ancestor's and the rest of its full path; a name within a folder is compared as the file
// system compares it. Files are opened only where an output exists already: a name that is not
// there cannot be a source, and under Wine each open that fails costs a search of its folder.
#include "outputs/output_identity_win.h"

#include <cstring>
#include <memory>
#include <new>

#include "outputs/folder_keys_win.h"
#include "foundation/path_parts.h"
#include "outputs/output_identity.h"
#include "outputs/same_file_names.h"
#include "win/full_path_win.h"

namespace {

bool MayBeShortName(const char16_t* name) {
    for (; *name; ++name)
        if (*name == u'~') return true;
    return false;
}

}  // namespace

IdentityClashFinder::IdentityClashFinder(const PointerArray<TrackRecord>& tracks,
                                         const TrackOutputs& outputs, const std::atomic<bool>* stop)
    : tracks_(tracks), outputs_(outputs), stop_(stop) {}

IdentityClashFinder::~IdentityClashFinder() = default;

bool IdentityClashFinder::KeyFolders() {
    const PointerArray<TrackRecord>& tracks = tracks_;
    const TrackOutputs& outputs = outputs_;
    const std::atomic<bool>* stop = stop_;
    const uint32_t count = outputs.Count();
    // Every source's and every output's folder (2i the source's, 2i + 1 the output's), each
    // run of one folder's text (a track's source and output beside it, an album's tracks) kept
    // once: grouping every folder of 10,000 tracks by its key would cost more than the opens.
    std::unique_ptr<NamedItem[]> folders(new (std::nothrow) NamedItem[2 * uint64_t(count) + 1]);
    folderNumber_.reset(new (std::nothrow) uint32_t[2 * uint64_t(count) + 1]);
    uint32_t* folderNumber = folderNumber_.get();
    if (!folders || !folderNumber) return false;
    uint32_t used = 0;
    auto addFolder = [&](const char16_t* path, uint32_t length, uint32_t item) {
        const uint32_t folderLength = FolderLengthOf(path, length);
        const NamedItem* last = used > 0 ? &folders[used - 1] : nullptr;
        if (!last || last->length != folderLength ||
            std::memcmp(last->name, path, folderLength * sizeof(char16_t))) {
            folders[used] = {path, folderLength, used};
            ++used;
        }
        folderNumber[item] = used - 1;  // for now the run's; its group's below
    };
    for (uint32_t i = 0; i < count; ++i) {
        const OutputPath output = outputs.Output(i);
        if (output.IsEmpty()) continue;
        const WideString& source = tracks.GetAt(i)->fields[kPath];
        addFolder(source.Text(), source.Length(), 2 * i);
        addFolder(output.Text(), output.Length(), 2 * i + 1);
    }
    // Each folder named alike keyed once, by its quick key; then the folders of one key
    // numbered alike.
    GroupSameFileNames(folders.get(), used, SameFileName);
    FolderKeys quickKeys(FolderKeys::kQuick);
    keys_.reset(new (std::nothrow) WideString[used + 1]);
    fullPaths_.reset(new (std::nothrow) WideString[used + 1]);
    WideString* keys = keys_.get();
    WideString* fullPaths = fullPaths_.get();
    std::unique_ptr<NamedItem[]> distinct(new (std::nothrow) NamedItem[used + 1]);
    std::unique_ptr<uint32_t[]> groupOfRun(new (std::nothrow) uint32_t[used + 1]);
    if (!keys || !fullPaths || !distinct || !groupOfRun) return false;
    uint32_t& groups = groups_;
    for (uint32_t start = 0; start < used; ++groups) {
        if (stop && stop->load()) return false;
        const uint32_t end = GroupEnd(folders.get(), used, start);
        WideString folder = TextSlice(folders[start].name, folders[start].length);
        if (folder.IsEmpty()) folder.AssignText(u".\\");
        fullPaths[groups] = FullPathOf(folder);
        bool missing = false;
        keys[groups] =
            quickKeys.KeyOf(fullPaths[groups].Text(), fullPaths[groups].Length(), missing);
        if (keys[groups].IsEmpty()) return false;
        for (uint32_t k = start; k < end; ++k) groupOfRun[folders[k].item] = groups;
        start = end;
    }
    for (uint32_t i = 0; i < count; ++i) {
        if (outputs.Output(i).IsEmpty()) continue;
        folderNumber[2 * i] = groupOfRun[folderNumber[2 * i]];
        folderNumber[2 * i + 1] = groupOfRun[folderNumber[2 * i + 1]];
    }
    auto groupKeys = [&] {
        for (uint32_t g = 0; g < groups; ++g) distinct[g] = {keys[g].Text(), keys[g].Length(), g};
        GroupSameFileNames(distinct.get(), groups, SameFileName);
    };
    groupKeys();
    // Folders of one quick key are one folder by two paths, or two folders on two volumes:
    // their whole identities tell which.
    bool opened = false;
    for (uint32_t start = 0; start < groups;) {
        if (stop && stop->load()) return false;
        const uint32_t end = GroupEnd(distinct.get(), groups, start);
        for (uint32_t k = start; end - start > 1 && k < end; ++k) {
            if (!OpenedKey(distinct[k].item)) return false;
            opened = true;
        }
        start = end;
    }
    if (opened) groupKeys();
    // Names need comparing only in a folder reached by two paths: within one path the check of
    // the paths has compared them.
    identityOf_.reset(new (std::nothrow) uint32_t[groups + 1]);
    manyPaths_.reset(new (std::nothrow) bool[groups + 1]);
    uint32_t* identityOf = identityOf_.get();
    bool* manyPaths = manyPaths_.get();
    if (!identityOf || !manyPaths) return false;
    for (uint32_t start = 0, number = 0; start < groups; ++number) {
        const uint32_t end = GroupEnd(distinct.get(), groups, start);
        for (uint32_t k = start; k < end; ++k) {
            identityOf[distinct[k].item] = number;
            manyPaths[distinct[k].item] = end - start > 1;
        }
        start = end;
    }
    return true;
}

// A quick key holds no volume: its folder opened for the whole identity when asked.
bool IdentityClashFinder::OpenedKey(uint32_t group) {
    if (FolderKeys::HasVolume(keys_[group])) return true;
    bool missing = false;
    keys_[group] = openedKeys_.KeyOf(fullPaths_[group].Text(), fullPaths_[group].Length(), missing);
    return !keys_[group].IsEmpty();
}

int64_t IdentityClashFinder::Find(const bool* existing, bool* clashing) {
    const PointerArray<TrackRecord>& tracks = tracks_;
    const TrackOutputs& outputs = outputs_;
    const std::atomic<bool>* stop = stop_;
    const uint32_t count = outputs.Count();
    const uint32_t* folderNumber = folderNumber_.get();
    const WideString* keys = keys_.get();
    const uint32_t* identityOf = identityOf_.get();
    const bool* manyPaths = manyPaths_.get();
    for (uint32_t i = 0; i < count; ++i) clashing[i] = false;
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
            if (!OpenedKey(folderNumber[2 * i])) return -1;
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
                     FolderLengthOf(source.Text(), source.Length());
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
    uint32_t used = 0;
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
        const uint32_t sourceFolder = FolderLengthOf(source.Text(), source.Length());
        addName(2 * i, source.Text() + sourceFolder, source.Length() - sourceFolder, i);
        addName(2 * i + 1, output.FileName(), TextLength(output.FileName()), i);
    }
    return FlagSameFileNames(items.get(), used, SameFileName, clashing);
}
