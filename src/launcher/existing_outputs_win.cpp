// Under Wine, asking for a name that is not there makes Wine search its whole folder for it
// in any letter case (the Unix file system underneath tells case apart): about 50 us in a
// folder of 10 files, 90 us in one of 100, 5 ms in one of 10,000. Reading a folder once for
// the end its outputs share costs about as much as two to four such questions, whatever its
// size. So a folder with three outputs or more is read once and its names matched; one with
// fewer is asked per output.
#include "launcher/existing_outputs_win.h"

#include <windows.h>

#include <cstring>
#include <new>

#include "win/file_exists_win.h"
#include "win/utf16_cast.h"

namespace {

constexpr uint32_t kReadFolderFrom = 3;  // outputs in one folder
constexpr uint32_t kListedName = 0xFFFFFFFFu;

uint32_t FolderLength(const OutputPath& path) {
    return uint32_t(path.FileName() - path.Text());
}

// The names of the files in one folder, packed into one block.
class FolderNames {
  public:
    FolderNames() = default;
    FolderNames(const FolderNames&) = delete;
    FolderNames& operator=(const FolderNames&) = delete;
    ~FolderNames() {
        delete[] units_;
        delete[] starts_;
    }

    bool Add(const char16_t* name) {
        const uint32_t length = TextLength(name);
        if (!Grow(units_, unitCapacity_, unitsUsed_ + length) ||
            !Grow(starts_, startCapacity_, count_ + 2))
            return false;
        std::memcpy(units_ + unitsUsed_, name, length * sizeof(char16_t));
        starts_[count_] = unitsUsed_;
        unitsUsed_ += length;
        starts_[++count_] = unitsUsed_;
        return true;
    }
    uint32_t Count() const { return count_; }
    const char16_t* Name(uint32_t i) const { return units_ + starts_[i]; }
    uint32_t Length(uint32_t i) const { return starts_[i + 1] - starts_[i]; }

  private:
    template <class T>
    static bool Grow(T*& block, uint32_t& capacity, uint64_t needed) {
        if (needed <= capacity) return true;
        uint64_t grown = capacity < 256 ? 256 : uint64_t(capacity) * 2;
        while (grown < needed) grown *= 2;
        if (grown > 0x3FFFFFFFu) return false;
        T* larger = new (std::nothrow) T[grown];
        if (!larger) return false;
        if (block) std::memcpy(larger, block, capacity * sizeof(T));
        delete[] block;
        block = larger;
        capacity = uint32_t(grown);
        return true;
    }

    char16_t* units_ = nullptr;
    uint32_t unitCapacity_ = 0, unitsUsed_ = 0;
    uint32_t* starts_ = nullptr;
    uint32_t startCapacity_ = 0, count_ = 0;
};

// kNothingThere: no folder, or no name in it that fits the pattern.
enum class FolderRead { kRead, kNothingThere, kFailed };

// The end the file names of a folder's outputs share ("*.mp3", "*.mp3.mp3", or longer): Wine
// looks up the details of each name that matches the pattern, which costs more than the
// reading itself, so a folder of MP3 sources read for "*.mp3.mp3" costs little.
WideString PatternOf(const TrackOutputs& outputs, const NamedItem* group, uint32_t groupSize) {
    const OutputPath first = outputs.Output(group[0].item);
    const uint32_t firstLength = first.Length();
    uint32_t shared = firstLength - group[0].length;
    for (uint32_t k = 1; k < groupSize && shared > 0; ++k) {
        const OutputPath output = outputs.Output(group[k].item);
        const uint32_t length = output.Length();
        uint32_t same = 0;
        while (same < shared && same < length - group[k].length &&
               output.Text()[length - 1 - same] == first.Text()[firstLength - 1 - same])
            ++same;
        shared = same;
    }
    // Windows reads a "*" before a dot as "up to the last dot", which "*.mp3.mp3" would miss.
    while (shared > 0 && first.Text()[firstLength - shared] == u'.') --shared;
    WideString pattern;
    pattern.AssignText(first.Text(), group[0].length);
    pattern.Append(u"*");
    pattern.Append(first.Text() + firstLength - shared);
    return pattern;
}

FolderRead ReadFolder(const WideString& pattern, FolderNames& names) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileExW(AsWide(pattern.Text()), FindExInfoBasic, &found,
                                     FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_PATH_NOT_FOUND || error == ERROR_FILE_NOT_FOUND
                   ? FolderRead::kNothingThere
                   : FolderRead::kFailed;
    }
    bool complete = true;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        if (!names.Add(FromWide(found.cFileName))) complete = false;
    } while (complete && FindNextFileW(search, &found));
    complete = complete && GetLastError() == ERROR_NO_MORE_FILES;
    FindClose(search);
    return complete ? FolderRead::kRead : FolderRead::kFailed;
}

// Matches the outputs of one folder against the names read from it.
bool MatchFolder(const TrackOutputs& outputs, const NamedItem* folderGroup, uint32_t groupSize,
                 const FolderNames& names, bool* existing) {
    const uint64_t total = uint64_t(names.Count()) + groupSize;
    auto* items = new (std::nothrow) NamedItem[total];
    if (!items) return false;
    uint32_t used = 0;
    for (uint32_t i = 0; i < names.Count(); ++i)
        items[used++] = {names.Name(i), names.Length(i), kListedName};
    for (uint32_t k = 0; k < groupSize; ++k) {
        const OutputPath output = outputs.Output(folderGroup[k].item);
        const uint32_t folderLength = folderGroup[k].length;
        items[used++] = {output.Text() + folderLength, output.Length() - folderLength,
                         folderGroup[k].item};
    }
    GroupSameFileNames(items, used, SameFileName);
    for (uint32_t start = 0; start < used;) {
        const uint32_t end = GroupEnd(items, used, start);
        bool listed = false;
        for (uint32_t k = start; k < end; ++k) listed = listed || items[k].item == kListedName;
        for (uint32_t k = start; listed && k < end; ++k)
            if (items[k].item != kListedName) existing[items[k].item] = true;
        start = end;
    }
    delete[] items;
    return true;
}

}  // namespace

int64_t FindExistingOutputs(const TrackOutputs& outputs, bool* existing,
                            const std::atomic<bool>* stop) {
    // The outputs grouped by folder: each name is an output's text up to its last backslash.
    const uint32_t count = outputs.Count();
    auto* folders = new (std::nothrow) NamedItem[count > 0 ? count : 1];
    if (!folders) return -1;
    uint32_t used = 0;
    for (uint32_t i = 0; i < count; ++i) {
        existing[i] = false;
        const OutputPath output = outputs.Output(i);
        if (!output.IsEmpty()) folders[used++] = {output.Text(), FolderLength(output), i};
    }
    GroupSameFileNames(folders, used, SameFileName);

    bool memoryLeft = true;
    for (uint32_t start = 0; start < used && !(stop && stop->load());) {
        const uint32_t end = GroupEnd(folders, used, start);
        FolderRead read = FolderRead::kFailed;
        FolderNames names;
        if (end - start >= kReadFolderFrom && folders[start].length > 0)
            read = ReadFolder(PatternOf(outputs, folders + start, end - start), names);
        if (read == FolderRead::kRead)
            memoryLeft =
                MatchFolder(outputs, folders + start, end - start, names, existing) && memoryLeft;
        if (read == FolderRead::kFailed)
            for (uint32_t k = start; k < end; ++k)
                existing[folders[k].item] = FileExists(outputs.Output(folders[k].item).Text());
        start = end;
    }
    delete[] folders;
    if (!memoryLeft) return -1;
    int64_t found = 0;
    for (uint32_t i = 0; i < count; ++i) found += existing[i] ? 1 : 0;
    return found;
}
