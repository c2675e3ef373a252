#include "outputs/folder_keys_win.h"

#include <windows.h>

#include <cstring>
#include <new>

#include "foundation/path_parts.h"
#include "outputs/same_file_names.h"
#include "win/file_calls_win.h"

namespace {

WideString IdentityText(const FileIdentity& identity) {
    WideString text;
    if (text.PrepareBuffer(kIdentityTextLength)) {
        WriteIdentityText(identity, text.Buffer());
        text.Truncate(kIdentityTextLength);
    }
    return text;
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

}  // namespace

WideString TextSlice(const char16_t* text, uint32_t length) {
    WideString slice;
    slice.AssignText(text, length);
    return slice;
}

bool FolderKeys::HasVolume(const WideString& key) {
    if (key.Length() < kIdentityTextLength) return false;
    const char16_t first = key.Text()[0];
    return (first >= u'0' && first <= u'9') || (first >= u'A' && first <= u'F');
}

// An opened key is the identity's text; a quick key puts "Q"s, which no hexadecimal digit
// is, where the volume serial would be.
WideString FolderKeys::KeyText(const FileIdentity& identity) const {
    WideString text = IdentityText(identity);
    if (kind_ == kQuick && text.Length() == kIdentityTextLength)
        for (uint32_t i = 0; i < 16; ++i) text.Buffer()[i] = u'Q';
    return text;
}

WideString FolderKeys::KeyOf(const char16_t* full, uint32_t length, bool& missing) {
    const uint64_t hash = FileNameKey(full, length);
    if (const Entry* known = Find(full, length, hash); known && known->used) {
        missing = known->missing;
        return known->key;
    }
    WideString key = Resolve(full, length, missing);
    if (key.IsEmpty() || !Remember(full, length, hash, key, missing)) return {};
    return key;
}

FolderKeys::Entry* FolderKeys::Find(const char16_t* full, uint32_t length, uint64_t hash) const {
    if (capacity_ == 0) return nullptr;
    for (uint32_t slot = uint32_t(hash) & (capacity_ - 1);; slot = (slot + 1) & (capacity_ - 1)) {
        Entry& entry = table_[slot];
        if (!entry.used || (entry.hash == hash &&
                            SameFileName(entry.path.Text(), entry.path.Length(), full, length)))
            return &entry;
    }
}

FolderKeys::Entry* FolderKeys::Remember(const char16_t* full, uint32_t length, uint64_t hash,
                                        const WideString& key, bool missing) {
    if (2 * (used_ + 1) > capacity_) {
        const uint32_t grown = capacity_ ? 2 * capacity_ : 64;
        std::unique_ptr<Entry[]> old(std::move(table_));
        table_.reset(new (std::nothrow) Entry[grown]);
        if (!table_) return nullptr;
        const uint32_t oldCapacity = capacity_;
        capacity_ = grown;
        for (uint32_t i = 0; i < oldCapacity; ++i)
            if (old[i].used) *Find(old[i].path.Text(), old[i].path.Length(), old[i].hash) = old[i];
    }
    Entry& entry = *Find(full, length, hash);
    if (!entry.used) ++used_;
    const bool listed = entry.used && entry.listed;
    entry = {true, hash, TextSlice(full, length), key, missing, listed};
    return entry.path.IsEmpty() || entry.key.IsEmpty() ? nullptr : &entry;
}

// The folder being listed for its subfolders, and where their full paths are made.
struct SubfolderListing {
    FolderKeys* keys;
    WideString path;  // the folder's full path, ending in a backslash
    uint32_t length;  // of the folder's own path in it
    bool failed;      // memory ran out
};

bool FolderKeys::TakeSubfolder(void* context, const FolderEntry& entry) {
    auto& listing = *static_cast<SubfolderListing*>(context);
    // A link's or junction's entry is its own identity, not its target's: opened when asked.
    if ((entry.attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ||
        (entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 || entry.identity == nullptr)
        return true;
    if ((entry.length == 1 && entry.name[0] == u'.') ||
        (entry.length == 2 && entry.name[0] == u'.' && entry.name[1] == u'.'))
        return true;
    WideString& path = listing.path;
    path.Truncate(listing.length);
    path.Append(TextSlice(entry.name, entry.length)).Append(u"\\");
    const uint64_t hash = FileNameKey(path.Text(), path.Length());
    FolderKeys& keys = *listing.keys;
    if (const Entry* known = keys.Find(path.Text(), path.Length(), hash); known && known->used)
        return true;
    if (!keys.Remember(path.Text(), path.Length(), hash, keys.KeyText(*entry.identity), false)) {
        listing.failed = true;
        return false;
    }
    return true;
}

bool FolderKeys::ListSubfolders(const char16_t* full, uint32_t length) {
    if (!reader_) reader_.reset(new (std::nothrow) FolderEntryReader);
    if (!reader_) return false;
    const uint32_t root = RootLength(full, length);
    const WideString opened = TextSlice(full, length > root ? length - 1 : length);
    HANDLE folder = OpenFileAt(opened.Text(), FILE_LIST_DIRECTORY,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
    if (folder == INVALID_HANDLE_VALUE) return true;
    SubfolderListing listing{this, TextSlice(full, length), length, false};
    reader_->Read(folder, 0, TakeSubfolder, &listing);
    CloseHandle(folder);
    return !listing.failed;
}

WideString FolderKeys::Resolve(const char16_t* full, uint32_t length, bool& missing) {
    missing = false;
    const uint32_t root = RootLength(full, length);
    const uint32_t parent = FolderLengthOf(full, length - 1);
    // A missing folder is its nearest existing ancestor's identity and the rest of its path.
    WideString parentKey;
    if (root > 0 && length > root && parent >= root) {
        bool parentMissing = false;
        parentKey = KeyOf(full, parent, parentMissing);
        if (parentKey.IsEmpty()) return {};
        if (parentMissing) {
            missing = true;
            return parentKey.Append(TextSlice(full + parent, length - parent));
        }
        // The parent's entries tell its subfolders' identities, this one's among them.
        Entry* above = Find(full, parent, FileNameKey(full, parent));
        if (kind_ == kQuick && above && above->used && !above->listed) {
            above->listed = true;
            if (!ListSubfolders(full, parent)) return {};
            if (const Entry* self = Find(full, length, FileNameKey(full, length));
                self && self->used)
                return self->key;
        }
    }
    // A root is opened with its backslash, any other folder without.
    const WideString opened = TextSlice(full, length > root ? length - 1 : length);
    FileIdentity identity;
    if (ReadIdentity(opened.Text(), identity)) return KeyText(identity);
    const DWORD error = GetLastError();
    if ((error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) && !parentKey.IsEmpty()) {
        missing = true;
        return parentKey.Append(TextSlice(full + parent, length - parent));
    }
    // Neither there nor under a folder that is: known by its full path alone.
    WideString key;
    key.AssignText(u"?");
    return key.Append(opened);
}
