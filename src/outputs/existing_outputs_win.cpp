// A folder holding three outputs or more is read once for the end its outputs share, and each
// name read is looked up among them; a folder with fewer is asked about per output. Under
// Wine, asking for a missing name makes Wine search its whole folder in every letter case
// (docs/performance.md has the figures).
#include "outputs/existing_outputs_win.h"

#include <algorithm>
#include <memory>
#include <new>

#include "outputs/output_identity_win.h"
#include "outputs/same_file_names.h"
#include "win/file_calls_win.h"
#include "win/file_exists_win.h"
#include "win/utf16_cast.h"

namespace {

constexpr uint32_t kReadFolderFrom = 3;  // outputs in one folder
constexpr uint32_t kSearchHelpers = 2;   // threads besides the caller's
constexpr uint32_t kFoldersForHelpers = 64;

uint32_t FolderLength(const OutputPath& path) {
    return uint32_t(path.FileName() - path.Text());
}

// kNothingThere: no folder, or no name in it that fits the pattern.
enum class FolderRead { kRead, kNothingThere, kFailed, kNoMemory };

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

bool ByKey(const NamedItem& a, const NamedItem& b) {
    return a.key < b.key;
}

// Reads one folder and flags each output of the group whose name it holds.
FolderRead SearchFolder(const TrackOutputs& outputs, const NamedItem* folderGroup,
                        uint32_t groupSize, FindFirstName findFirst, bool* existing) {
    // The outputs' file names, keyed once and sorted by key.
    std::unique_ptr<NamedItem[]> names(new (std::nothrow) NamedItem[groupSize]);
    if (!names) return FolderRead::kNoMemory;
    for (uint32_t k = 0; k < groupSize; ++k) {
        const OutputPath output = outputs.Output(folderGroup[k].item);
        const uint32_t folderLength = folderGroup[k].length;
        names[k] = {output.Text() + folderLength, output.Length() - folderLength,
                    folderGroup[k].item};
        names[k].key = FileNameKey(names[k].name, names[k].length);
    }
    std::sort(names.get(), names.get() + groupSize, ByKey);

    WIN32_FIND_DATAW found;
    HANDLE search = findFirst(PatternOf(outputs, folderGroup, groupSize).Text(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_PATH_NOT_FOUND || error == ERROR_FILE_NOT_FOUND
                   ? FolderRead::kNothingThere
                   : FolderRead::kFailed;
    }
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        NamedItem name{FromWide(found.cFileName), TextLength(FromWide(found.cFileName)), 0};
        name.key = FileNameKey(name.name, name.length);
        const auto [first, last] =
            std::equal_range(names.get(), names.get() + groupSize, name, ByKey);
        for (const NamedItem* output = first; output != last; ++output)
            if (SameFileName(output->name, output->length, name.name, name.length))
                existing[output->item] = true;
    } while (FindNextFileW(search, &found));
    const bool complete = GetLastError() == ERROR_NO_MORE_FILES;
    FindClose(search);
    return complete ? FolderRead::kRead : FolderRead::kFailed;
}

}  // namespace

HANDLE FindFirstOutputName(const char16_t* pattern, WIN32_FIND_DATAW* found) {
    return FindFirstFileAt(pattern, found);
}

namespace {

// The folders of a search, each group read by whichever thread takes it next.
struct FolderGroups {
    const TrackOutputs& outputs;
    bool* existing;
    const std::atomic<bool>* stop;
    FindFirstName findFirst;
    const NamedItem* folders;
    const uint32_t* starts;  // each group's first folder; one more for the end
    uint32_t count;
    std::atomic<uint32_t> next{0};
    std::atomic<bool> noMemory{false};
};

void SearchGroups(FolderGroups& groups) {
    for (;;) {
        if ((groups.stop && groups.stop->load()) || groups.noMemory.load()) return;
        const uint32_t group = groups.next.fetch_add(1);
        if (group >= groups.count) return;
        const uint32_t start = groups.starts[group], end = groups.starts[group + 1];
        const NamedItem* folder = groups.folders + start;
        FolderRead read = FolderRead::kFailed;
        if (end - start >= kReadFolderFrom && folder->length > 0)
            read = SearchFolder(groups.outputs, folder, end - start, groups.findFirst,
                                groups.existing);
        if (read == FolderRead::kNoMemory) groups.noMemory = true;
        // A folder that could not be read whole is asked about per output.
        if (read == FolderRead::kFailed)
            for (uint32_t k = 0; k < end - start; ++k)
                groups.existing[folder[k].item] =
                    FileExists(groups.outputs.Output(folder[k].item).Text());
    }
}

DWORD WINAPI SearchGroupsThread(void* context) {
    SearchGroups(*static_cast<FolderGroups*>(context));
    return 0;
}

}  // namespace

int64_t FindExistingOutputs(const TrackOutputs& outputs, bool* existing,
                            const std::atomic<bool>* stop, FindFirstName findFirst) {
    // The outputs grouped by folder: each name is an output's text up to its last backslash.
    const uint32_t count = outputs.Count();
    std::unique_ptr<NamedItem[]> folders(new (std::nothrow) NamedItem[count > 0 ? count : 1]);
    std::unique_ptr<uint32_t[]> starts(new (std::nothrow) uint32_t[count + 1]);
    if (!folders || !starts) return -1;
    uint32_t used = 0;
    for (uint32_t i = 0; i < count; ++i) {
        existing[i] = false;
        const OutputPath output = outputs.Output(i);
        if (!output.IsEmpty()) folders[used++] = {output.Text(), FolderLength(output), i};
    }
    GroupSameFileNames(folders.get(), used, SameFileName);
    uint32_t groupCount = 0;
    for (uint32_t start = 0; start < used; start = GroupEnd(folders.get(), used, start))
        starts[groupCount++] = start;
    starts[groupCount] = used;

    // Under Wine a folder's reading mostly waits for the system: many folders are read by
    // several threads at once (three read 5,000 folders about twice as fast as one).
    FolderGroups groups{outputs,       existing,     stop,      findFirst,
                        folders.get(), starts.get(), groupCount};
    HANDLE helpers[kSearchHelpers] = {};
    for (uint32_t h = 0; h < kSearchHelpers && groupCount >= kFoldersForHelpers; ++h)
        helpers[h] = CreateThread(nullptr, 256 * 1024, SearchGroupsThread, &groups,
                                  STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    SearchGroups(groups);
    for (HANDLE helper : helpers) {
        if (helper == nullptr) continue;
        WaitForSingleObject(helper, INFINITE);
        CloseHandle(helper);
    }
    if (groups.noMemory) return -1;
    int64_t found = 0;
    for (uint32_t i = 0; i < count; ++i) found += existing[i] ? 1 : 0;
    return found;
}

ExistingOutputsSearch::ExistingOutputsSearch(const TrackOutputs& outputs, bool* existing,
                                             const PointerArray<TrackRecord>* tracks,
                                             bool* clashing)
    : outputs_(outputs), existing_(existing), tracks_(tracks), clashing_(clashing) {
    thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
    if (!thread_) Run(this);
}

int64_t ExistingOutputsSearch::Finish() {
    if (thread_) {
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
        thread_ = nullptr;
    }
    return found_;
}

void ExistingOutputsSearch::Abandon() {
    stop_ = true;
    Finish();
}

// The existing outputs' search on a thread of its own while this one keys the folders.
struct OutputSearchRun {
    const TrackOutputs& outputs;
    bool* existing;
    const std::atomic<bool>* stop;
    int64_t found;
};

DWORD WINAPI ExistingOutputsSearch::SearchOutputs(void* context) {
    auto* run = static_cast<OutputSearchRun*>(context);
    run->found = FindExistingOutputs(run->outputs, run->existing, run->stop);
    return 0;
}

DWORD WINAPI ExistingOutputsSearch::Run(void* context) {
    auto* search = static_cast<ExistingOutputsSearch*>(context);
    if (!search->tracks_) {
        search->found_ = FindExistingOutputs(search->outputs_, search->existing_, &search->stop_);
        return 0;
    }
    OutputSearchRun run{search->outputs_, search->existing_, &search->stop_, -1};
    HANDLE searching = CreateThread(nullptr, 256 * 1024, SearchOutputs, &run,
                                    STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    if (searching == nullptr) SearchOutputs(&run);
    IdentityClashFinder clashes(*search->tracks_, search->outputs_, &search->stop_);
    const bool keyed = clashes.KeyFolders();
    if (searching != nullptr) {
        WaitForSingleObject(searching, INFINITE);
        CloseHandle(searching);
    }
    search->found_ = run.found;
    if (search->found_ >= 0)
        search->clashes_ = keyed ? clashes.Find(search->existing_, search->clashing_) : -1;
    return 0;
}
