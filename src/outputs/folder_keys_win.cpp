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

bool FolderKeys::Remember(const char16_t* full, uint32_t length, uint64_t hash,
                          const WideString& key, bool missing) {
    if (2 * (used_ + 1) > capacity_) {
        const uint32_t grown = capacity_ ? 2 * capacity_ : 64;
        std::unique_ptr<Entry[]> old(std::move(table_));
        table_.reset(new (std::nothrow) Entry[grown]);
        if (!table_) return false;
        const uint32_t oldCapacity = capacity_;
        capacity_ = grown;
        for (uint32_t i = 0; i < oldCapacity; ++i)
            if (old[i].used) *Find(old[i].path.Text(), old[i].path.Length(), old[i].hash) = old[i];
    }
    Entry& entry = *Find(full, length, hash);
    entry = {true, hash, TextSlice(full, length), key, missing};
    ++used_;
    return !entry.path.IsEmpty();
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
    }
    // A root is opened with its backslash, any other folder without.
    const WideString opened = TextSlice(full, length > root ? length - 1 : length);
    FileIdentity identity;
    if (ReadIdentity(opened.Text(), identity)) return IdentityText(identity);
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
