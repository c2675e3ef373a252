// A folder's entries with their identities, read through one open handle in large blocks:
// listing a folder this way tells each subfolder's identity without opening it.
#pragma once
#include <windows.h>

#include <cstdint>

#include "foundation/file_identity.h"

struct FolderEntry {
    const char16_t* name;  // not NUL-ended
    uint32_t length;
    DWORD attributes;
    // Null where the file system knows no ID. For a link or junction (a reparse point) it is the
    // link's own, not its target's.
    const FileIdentity* identity;
};

// What a folder's entries are read with: a 64 KB block, and the kind of blocks that worked
// for the last folder.
class FolderEntryReader {
  public:
    FolderEntryReader();
    FolderEntryReader(const FolderEntryReader&) = delete;
    FolderEntryReader& operator=(const FolderEntryReader&) = delete;
    ~FolderEntryReader();

    // Hands each entry of the open folder (FILE_LIST_DIRECTORY) to take, its identity on the
    // given volume (the folder's), until take returns false; the 128-bit IDs where the system
    // gives them (ReFS's are unique only whole), else the 64-bit ones. False when the file
    // system gives neither this way (the caller may ask FindFirstFile).
    bool Read(HANDLE folder, uint64_t volume, bool (*take)(void* context, const FolderEntry& entry),
              void* context);

  private:
    bool ReadBlocks(HANDLE folder, uint64_t volume, bool extended,
                    bool (*take)(void* context, const FolderEntry& entry), void* context);

    unsigned char* block_;
    bool extended_ = true;
};
