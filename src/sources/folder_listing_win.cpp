#include "sources/folder_listing_win.h"

#include <shlwapi.h>

#include <algorithm>
#include <cstring>
#include <new>

#include "foundation/pointer_array.h"
#include "foundation/unit_buffer.h"
#include "foundation/wide_string.h"
#include "sources/cover_picture.h"
#include "sources/encoder_input.h"
#include "sources/identity_set.h"
#include "sources/listed_names.h"
#include "sources/source_file.h"
#include "win/file_calls_win.h"
#include "win/file_identity_win.h"
#include "win/folder_entries_win.h"
#include "win/utf16_cast.h"

namespace {

// One folder's entries as read: their names in one block, each with what the walk needs.
struct Entry {
    uint32_t name;  // offset of its NUL-ended name in the block
    uint32_t length;
    bool folder;
    bool known;             // a folder's identity as its parent's entry gave it
    FileIdentity identity;  // (not for a link: that entry is the link's own)
};

// A folder still to list, with its identity where its parent's entry gave it.
struct WaitingFolder {
    WideString path;
    bool known = false;
    FileIdentity identity;
};

struct FolderEntries {
    char16_t* names = nullptr;
    uint32_t namesUsed = 0, namesCapacity = 0;
    Entry* entries = nullptr;
    uint32_t count = 0, capacity = 0;

    FolderEntries() = default;
    FolderEntries(const FolderEntries&) = delete;
    FolderEntries& operator=(const FolderEntries&) = delete;
    ~FolderEntries() {
        delete[] names;
        delete[] entries;
    }
    bool Add(const char16_t* name, uint32_t length, bool folder,
             const FileIdentity* identity = nullptr) {
        if (!ReserveUnits(names, namesCapacity, uint64_t(namesUsed) + length + 1)) return false;
        if (count == capacity) {
            const uint32_t grown = capacity == 0 ? 64 : capacity * 2;
            Entry* bigger = new (std::nothrow) Entry[grown];
            if (bigger == nullptr) return false;
            if (entries != nullptr) std::memcpy(bigger, entries, count * sizeof(Entry));
            delete[] entries;
            entries = bigger;
            capacity = grown;
        }
        std::memcpy(names + namesUsed, name, length * sizeof(char16_t));
        names[namesUsed + length] = u'\0';
        entries[count++] = Entry{namesUsed, length, folder, identity != nullptr,
                                 identity ? *identity : FileIdentity{}};
        namesUsed += length + 1;
        return true;
    }
    const char16_t* NameOf(const Entry& entry) const { return names + entry.name; }
};

}  // namespace

struct FolderListing {
    HWND notify = nullptr;
    FolderVisit visit = nullptr;
    CRITICAL_SECTION lock;
    HANDLE wake = nullptr;
    LONG references = 2;  // the dialog's and the thread's
    volatile LONG stop = 0;
    // Guarded by the lock: the dropped names not yet listed, and what was found.
    char16_t* input = nullptr;
    uint32_t inputUsed = 0, inputCapacity = 0, inputRead = 0;
    FoundFiles found;
    uint32_t foundTotal = 0;
    bool ended = false;
    // The thread's own.
    IdentitySet folders;
    IdentitySet files;
    FolderEntries entries;
    // The folder's file names that could be its cover, each ended by a NUL; not handed over
    // when memory ran out for one (the reader then lists the folder itself).
    char16_t* coverNames = nullptr;
    uint32_t coverNamesUsed = 0, coverNamesCapacity = 0;
    bool coverNamesLost = false;
    PointerArray<WaitingFolder> waiting;  // folders still to list, the next one last
    WideString path;                      // the file being judged or found
    FolderEntryReader reader;

    FolderListing() { InitializeCriticalSection(&lock); }
    FolderListing(const FolderListing&) = delete;
    FolderListing& operator=(const FolderListing&) = delete;
    ~FolderListing() {
        DeleteCriticalSection(&lock);
        if (wake != nullptr) CloseHandle(wake);
        delete[] input;
        delete[] coverNames;
    }
};

namespace {

void Release(FolderListing* listing) {
    if (InterlockedDecrement(&listing->references) == 0) delete listing;
}

bool Stopped(const FolderListing& listing) {
    return listing.stop != 0;
}

// Hands a found file to the dialog's side.
void PutFound(FolderListing& listing, const char16_t* path, uint32_t length, uint32_t root) {
    EnterCriticalSection(&listing.lock);
    FoundFiles& found = listing.found;
    if (ReserveUnits(found.units, found.capacity, uint64_t(found.used) + length + 3)) {
        found.units[found.used++] = char16_t(root & 0xFFFF);
        found.units[found.used++] = char16_t(root >> 16);
        std::memcpy(found.units + found.used, path, length * sizeof(char16_t));
        found.used += length;
        found.units[found.used++] = u'\0';
        ++found.count;
        ++listing.foundTotal;
    }
    LeaveCriticalSection(&listing.lock);
}

// Hands the dialog's side the folder's possible cover names, ahead of its files: the tag reader
// then need not list the folder again for its cover.
void PutFolderCoverNames(FolderListing& listing, const WideString& folder) {
    const bool slash = folder.Length() > 0 && folder.Text()[folder.Length() - 1] == u'\\';
    const uint64_t need = uint64_t(folder.Length()) + (slash ? 0 : 1) + listing.coverNamesUsed + 4;
    EnterCriticalSection(&listing.lock);
    FoundFiles& found = listing.found;
    if (ReserveUnits(found.units, found.capacity, uint64_t(found.used) + need)) {
        found.units[found.used++] = kFolderCoverNamesMark;
        found.units[found.used++] = kFolderCoverNamesMark;
        std::memcpy(found.units + found.used, folder.Text(), folder.Length() * sizeof(char16_t));
        found.used += folder.Length();
        if (!slash) found.units[found.used++] = u'\\';
        found.units[found.used++] = u'\0';
        std::memcpy(found.units + found.used, listing.coverNames,
                    listing.coverNamesUsed * sizeof(char16_t));
        found.used += listing.coverNamesUsed;
        found.units[found.used++] = u'\0';
    }
    LeaveCriticalSection(&listing.lock);
}

uint32_t ReadFromFile(void* context, uint64_t offset, void* buffer, uint32_t count) {
    return ReadSourceFile(*static_cast<SourceFile*>(context), offset, buffer, count);
}

// A file whose name says nothing: listed when its first bytes are music lame.exe reads.
bool HoldsMusic(const char16_t* path) {
    SourceFile* file = OpenSourceFile(path);
    if (file == nullptr) return false;
    const EncoderInput input = JudgeEncoderInput(SourceFileSize(*file), ReadFromFile, file);
    CloseSourceFile(file);
    return IsListedContent(input);
}

bool IsDotName(const char16_t* name, uint32_t length) {
    return (length == 1 && name[0] == u'.') || (length == 2 && name[0] == u'.' && name[1] == u'.');
}

// The path of an entry of the folder into listing.path.
const WideString& PathOfEntry(FolderListing& listing, const WideString& folder,
                              const char16_t* name) {
    listing.path = folder;
    if (folder.Length() > 0 && folder.Text()[folder.Length() - 1] != u'\\')
        listing.path.Append(u"\\");
    listing.path.Append(name);
    return listing.path;
}

// One directory entry: kept in the folder's entries when the listing takes it. identity: the
// entry's own (the volume its folder's), null where the file system gave none.
void TakeEntry(FolderListing& listing, const WideString& folder, const char16_t* name,
               uint32_t length, DWORD attributes, FileIdentity* identity) {
    if (IsDotName(name, length)) return;
    // Any file may be the cover, a hidden one too, as the reader's own look would find it.
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && length <= kFolderCoverNameMaxLength) {
        if (ReserveUnits(listing.coverNames, listing.coverNamesCapacity,
                         uint64_t(listing.coverNamesUsed) + length + 1)) {
            std::memcpy(listing.coverNames + listing.coverNamesUsed, name,
                        length * sizeof(char16_t));
            listing.coverNamesUsed += length;
            listing.coverNames[listing.coverNamesUsed++] = u'\0';
        } else {
            listing.coverNamesLost = true;
        }
    }
    if (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) return;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        // A link's or junction's entry is its own: its target's identity is read when it is
        // listed.
        if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) identity = nullptr;
        if (!IsLeftOutFolder(name, length)) listing.entries.Add(name, length, true, identity);
        return;
    }
    const ListedName kind = JudgeListedName(name, length);
    if (kind == ListedName::kNotAudio) return;
    const bool link = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    if (kind == ListedName::kAskContent || link) {
        WideString nameText;
        nameText.AssignText(name, length);
        const char16_t* path = PathOfEntry(listing, folder, nameText.Text()).Text();
        if (kind == ListedName::kAskContent && !HoldsMusic(path)) return;
        // A link's entry carries its own ID: its target's counts.
        if (link && (identity == nullptr || !ReadIdentity(path, *identity))) identity = nullptr;
    }
    if (identity != nullptr && !listing.files.Add(*identity)) return;
    listing.entries.Add(name, length, false);
}

// Where a folder's entries go as they are read.
struct EntriesOf {
    FolderListing& listing;
    const WideString& folder;
};

bool TakeReadEntry(void* context, const FolderEntry& entry) {
    auto& of = *static_cast<EntriesOf*>(context);
    FileIdentity identity;
    if (entry.identity != nullptr) identity = *entry.identity;
    TakeEntry(of.listing, of.folder, entry.name, entry.length, entry.attributes,
              entry.identity != nullptr ? &identity : nullptr);
    return !Stopped(of.listing);
}

void ReadEntriesByName(FolderListing& listing, const WideString& path) {
    WideString pattern = path;
    if (pattern.Length() > 0 && pattern.Text()[pattern.Length() - 1] != u'\\')
        pattern.Append(u"\\");
    pattern.Append(u"*");
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileAt(pattern.Text(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const auto* name = reinterpret_cast<const char16_t*>(data.cFileName);
        uint32_t length = 0;
        while (name[length] != u'\0') ++length;
        TakeEntry(listing, path, name, length, data.dwFileAttributes, nullptr);
    } while (!Stopped(listing) && FindNextFileW(find, &data));
    FindClose(find);
}

// Lists one folder: its files found, its subfolders put on the waiting stack, both in
// natural order (the subfolders in reverse, so the first is taken next).
void ListFolder(FolderListing& listing, const WaitingFolder& waiting, uint32_t root) {
    const WideString& path = waiting.path;
    // Reached before through a link or a junction (or as its own parent): listed once. Most
    // folders' identities came with their parent's entries; the others' are read here.
    if (waiting.known && !listing.folders.Add(waiting.identity)) return;
    if (listing.visit != nullptr) listing.visit(path.Text());
    HANDLE folder = OpenFileAt(path.Text(), FILE_LIST_DIRECTORY,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
    if (folder == INVALID_HANDLE_VALUE) return;
    FileIdentity identity = waiting.identity;
    if (!waiting.known && ReadHandleIdentity(folder, identity) && !listing.folders.Add(identity)) {
        CloseHandle(folder);
        return;
    }
    FolderEntries& entries = listing.entries;
    entries.count = 0;
    entries.namesUsed = 0;
    listing.coverNamesUsed = 0;
    listing.coverNamesLost = false;
    EntriesOf of{listing, path};
    const bool read = listing.reader.Read(folder, identity.volume, TakeReadEntry, &of);
    CloseHandle(folder);
    if (!read) ReadEntriesByName(listing, path);
    if (Stopped(listing)) return;

    std::sort(entries.entries, entries.entries + entries.count,
              [&entries](const Entry& a, const Entry& b) {
                  if (a.folder != b.folder) return !a.folder;
                  return StrCmpLogicalW(AsWide(entries.NameOf(a)), AsWide(entries.NameOf(b))) < 0;
              });
    uint32_t files = 0;
    while (files < entries.count && !entries.entries[files].folder) ++files;
    if (files > 0 && !listing.coverNamesLost) PutFolderCoverNames(listing, path);
    for (uint32_t i = 0; i < files; ++i) {
        const WideString& file = PathOfEntry(listing, path, entries.NameOf(entries.entries[i]));
        PutFound(listing, file.Text(), file.Length(), root);
    }
    for (uint32_t i = entries.count; i-- > files;) {
        const Entry& entry = entries.entries[i];
        auto* subfolder = new (std::nothrow) WaitingFolder;
        if (subfolder == nullptr || !listing.waiting.Add(subfolder)) {
            delete subfolder;
            continue;
        }
        subfolder->path = PathOfEntry(listing, path, entries.NameOf(entry));
        subfolder->known = entry.known;
        subfolder->identity = entry.identity;
    }
}

// A dropped folder and everything below it; the stack of waiting folders keeps the walk off
// the thread's stack, however deep the folders go.
void ListDroppedFolder(FolderListing& listing, const WideString& folder) {
    uint32_t root = folder.Length();
    while (root > 0 && folder.Text()[root - 1] == u'\\') --root;
    auto* first = new (std::nothrow) WaitingFolder;
    if (first == nullptr || !listing.waiting.Add(first)) {
        delete first;
        return;
    }
    first->path = folder;
    while (listing.waiting.Count() > 0 && !Stopped(listing)) {
        const uint32_t last = listing.waiting.Count() - 1;
        WaitingFolder* next = listing.waiting.GetAt(last);
        listing.waiting.RemoveAt(last);
        ListFolder(listing, *next, root);
        delete next;
    }
    listing.waiting.DeleteAll();
}

// The next dropped name into name; false when none is left (the listing has ended then).
bool NextDroppedName(FolderListing& listing, WideString& name) {
    EnterCriticalSection(&listing.lock);
    const bool any = listing.inputRead < listing.inputUsed;
    if (any) {
        name.AssignText(listing.input + listing.inputRead);
        listing.inputRead += name.Length() + 1;
    } else {
        listing.ended = true;
    }
    LeaveCriticalSection(&listing.lock);
    return any;
}

DWORD WINAPI ListingThread(void* parameter) {
    auto* listing = static_cast<FolderListing*>(parameter);
    WaitForSingleObject(listing->wake, INFINITE);
    WideString name;
    while (!Stopped(*listing) && NextDroppedName(*listing, name)) {
        const DWORD attributes = FileAttributesAt(name.Text());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            ListDroppedFolder(*listing, name);
        } else {
            // A dropped file is taken whatever it is, as it always was.
            PutFound(*listing, name.Text(), name.Length(), 0);
        }
    }
    if (Stopped(*listing)) {
        EnterCriticalSection(&listing->lock);
        listing->ended = true;
        LeaveCriticalSection(&listing->lock);
    } else {
        PostMessageW(listing->notify, kFolderListingEnded, 0, 0);
    }
    Release(listing);
    return 0;
}

}  // namespace

bool NextFoundFile(const FoundFiles& found, uint32_t& at, const char16_t*& path, uint32_t& length,
                   uint32_t& rootLength, const char16_t** coverNames) {
    for (;;) {
        if (at + 3 > found.used) return false;
        const bool folder = found.units[at] == kFolderCoverNamesMark &&
                            found.units[at + 1] == kFolderCoverNamesMark;
        rootLength = uint32_t(found.units[at]) | (uint32_t(found.units[at + 1]) << 16);
        path = found.units + at + 2;
        length = 0;
        while (path[length] != u'\0') ++length;
        at += length + 3;
        if (!folder) {
            if (coverNames != nullptr) *coverNames = nullptr;
            return true;
        }
        // A folder's cover names: up to the empty name that ends them.
        const char16_t* names = found.units + at;
        while (found.units[at] != u'\0') {
            while (found.units[at] != u'\0') ++at;
            ++at;
        }
        ++at;
        if (coverNames == nullptr) continue;
        rootLength = 0;
        *coverNames = names;
        return true;
    }
}

FolderListing* StartFolderListing(HWND notify, FolderVisit visit) {
    auto* listing = new (std::nothrow) FolderListing;
    if (listing == nullptr) return nullptr;
    listing->notify = notify;
    listing->visit = visit;
    listing->wake = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    HANDLE thread = listing->wake != nullptr
                        ? CreateThread(nullptr, 0, ListingThread, listing, 0, nullptr)
                        : nullptr;
    if (thread == nullptr) {
        delete listing;
        return nullptr;
    }
    CloseHandle(thread);
    return listing;
}

bool ListDroppedName(FolderListing& listing, const char16_t* name, uint32_t length) {
    EnterCriticalSection(&listing.lock);
    const bool taken = !listing.ended && ReserveUnits(listing.input, listing.inputCapacity,
                                                      uint64_t(listing.inputUsed) + length + 1);
    if (taken) {
        std::memcpy(listing.input + listing.inputUsed, name, length * sizeof(char16_t));
        listing.inputUsed += length;
        listing.input[listing.inputUsed++] = u'\0';
    }
    LeaveCriticalSection(&listing.lock);
    return taken;
}

void WakeFolderListing(FolderListing& listing) {
    SetEvent(listing.wake);
}

bool TakeFoundFiles(FolderListing& listing, FoundFiles& found) {
    found.used = 0;
    found.count = 0;
    EnterCriticalSection(&listing.lock);
    // The two blocks change places: the thread goes on in the emptied one.
    std::swap(found.units, listing.found.units);
    std::swap(found.used, listing.found.used);
    std::swap(found.capacity, listing.found.capacity);
    std::swap(found.count, listing.found.count);
    const bool ended = listing.ended;
    LeaveCriticalSection(&listing.lock);
    return ended;
}

uint32_t CountFoundFiles(FolderListing& listing) {
    EnterCriticalSection(&listing.lock);
    const uint32_t total = listing.foundTotal;
    LeaveCriticalSection(&listing.lock);
    return total;
}

void StopFolderListing(FolderListing* listing) {
    if (listing == nullptr) return;
    InterlockedExchange(&listing->stop, 1);
    SetEvent(listing->wake);
    Release(listing);
}
