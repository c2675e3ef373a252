#include "win/folder_entries_win.h"

#include <cstring>
#include <new>

namespace {

constexpr DWORD kBlockSize = 64 * 1024;

// FILE_ID_EXTD_DIR_INFO and its classes, from Windows 8 on; the headers show them only to
// programs that need Windows 8. On Windows 7 the call fails and the 64-bit IDs are read.
struct ExtendedEntry {
    ULONG NextEntryOffset;
    ULONG FileIndex;
    LARGE_INTEGER CreationTime;
    LARGE_INTEGER LastAccessTime;
    LARGE_INTEGER LastWriteTime;
    LARGE_INTEGER ChangeTime;
    LARGE_INTEGER EndOfFile;
    LARGE_INTEGER AllocationSize;
    ULONG FileAttributes;
    ULONG FileNameLength;
    ULONG EaSize;
    ULONG ReparsePointTag;
    BYTE FileId[16];
    WCHAR FileName[1];
};
constexpr auto kExtendedEntries = static_cast<FILE_INFO_BY_HANDLE_CLASS>(19);
constexpr auto kExtendedEntriesRestart = static_cast<FILE_INFO_BY_HANDLE_CLASS>(20);

// File systems give 0, or all ones, where they know no ID.
bool IsKnownId(const unsigned char* id, size_t size) {
    bool zero = true, ones = true;
    for (size_t i = 0; i < size; ++i) {
        zero = zero && id[i] == 0;
        ones = ones && id[i] == 0xFF;
    }
    return !zero && !ones;
}

}  // namespace

FolderEntryReader::FolderEntryReader() : block_(new (std::nothrow) unsigned char[kBlockSize]) {}

FolderEntryReader::~FolderEntryReader() {
    delete[] block_;
}

bool FolderEntryReader::ReadBlocks(HANDLE folder, uint64_t volume, bool extended,
                                   bool (*take)(void* context, const FolderEntry& entry),
                                   void* context) {
    bool first = true;
    for (;;) {
        const FILE_INFO_BY_HANDLE_CLASS kind =
            extended ? (first ? kExtendedEntriesRestart : kExtendedEntries)
                     : (first ? FileIdBothDirectoryRestartInfo : FileIdBothDirectoryInfo);
        if (!GetFileInformationByHandleEx(folder, kind, block_, kBlockSize)) {
            const DWORD error = GetLastError();
            return !first || error == ERROR_NO_MORE_FILES || error == ERROR_FILE_NOT_FOUND;
        }
        first = false;
        for (DWORD offset = 0;;) {
            const unsigned char* at = block_ + offset;
            FileIdentity identity;
            identity.volume = volume;
            FolderEntry entry{};
            DWORD next = 0;
            if (extended) {
                const auto* info = reinterpret_cast<const ExtendedEntry*>(at);
                std::memcpy(identity.id, info->FileId, sizeof info->FileId);
                entry = {reinterpret_cast<const char16_t*>(info->FileName),
                         info->FileNameLength / uint32_t(sizeof(char16_t)), info->FileAttributes,
                         IsKnownId(identity.id, sizeof identity.id) ? &identity : nullptr};
                next = info->NextEntryOffset;
            } else {
                const auto* info = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(at);
                std::memcpy(identity.id, &info->FileId, sizeof info->FileId);
                entry = {reinterpret_cast<const char16_t*>(info->FileName),
                         info->FileNameLength / uint32_t(sizeof(char16_t)), info->FileAttributes,
                         IsKnownId(identity.id, sizeof info->FileId) ? &identity : nullptr};
                next = info->NextEntryOffset;
            }
            if (!take(context, entry)) return true;
            if (next == 0) break;
            offset += next;
        }
    }
}

bool FolderEntryReader::Read(HANDLE folder, uint64_t volume,
                             bool (*take)(void* context, const FolderEntry& entry), void* context) {
    if (block_ == nullptr) return false;
    // The kind that worked for the last folder is asked first.
    if (ReadBlocks(folder, volume, extended_, take, context)) return true;
    extended_ = !extended_;
    return ReadBlocks(folder, volume, extended_, take, context);
}
