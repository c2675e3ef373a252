// Where a folder is, by what it is: each full folder path known by its identity (volume
// serial and file ID), or a missing one by its nearest existing ancestor's and the rest of
// its path.
#pragma once
#include <cstdint>
#include <memory>

#include "foundation/wide_string.h"
#include "outputs/output_identity.h"
#include "win/file_identity_win.h"
#include "win/folder_entries_win.h"

// The first `length` units of text, as a string of its own.
WideString TextSlice(const char16_t* text, uint32_t length);

// Each full folder path (ending in a backslash) resolved once, its ancestors first, in a table
// open-addressed by the path's key. A folder under a missing one is missing too and is not
// looked for: the folders a pattern names are mostly still to be made.
//
// Opened keys hold the whole identity: each folder is opened. Quick keys hold the file ID
// alone and come mostly from the parent's entries, read once (an album's folder is not
// opened); links, short names and names not found there are opened. Two folders of one quick
// key may lie on two volumes, so a caller confirms such pairs with opened keys; two different
// quick keys are always two folders. Quick keys never equal opened ones.
class FolderKeys {
  public:
    enum Kind { kOpened, kQuick };
    explicit FolderKeys(Kind kind = kOpened) : kind_(kind) {}

    // The folder's key (full: its full path, ending in a backslash); empty when memory ran
    // out. missing: the folder is not there.
    WideString KeyOf(const char16_t* full, uint32_t length, bool& missing);

    // Whether the key holds a volume serial (an opened key).
    static bool HasVolume(const WideString& key);

  private:
    struct Entry {
        bool used = false;
        uint64_t hash = 0;
        WideString path, key;
        bool missing = false;
        bool listed = false;  // its subfolders are in the table
    };
    Kind kind_;
    std::unique_ptr<Entry[]> table_;
    uint32_t capacity_ = 0, used_ = 0;
    std::unique_ptr<FolderEntryReader> reader_;

    Entry* Find(const char16_t* full, uint32_t length, uint64_t hash) const;
    Entry* Remember(const char16_t* full, uint32_t length, uint64_t hash, const WideString& key,
                    bool missing);
    WideString Resolve(const char16_t* full, uint32_t length, bool& missing);
    WideString KeyText(const FileIdentity& identity) const;
    bool ListSubfolders(const char16_t* full, uint32_t length);
    static bool TakeSubfolder(void* context, const FolderEntry& entry);
};
