#include "win/file_identity_win.h"

#include <cstring>

#include "win/file_calls_win.h"

namespace {

// FILE_ID_INFO and its class, from Windows 8 on; the headers show them only to programs that
// need Windows 8. On Windows 7 the call fails and the older 64-bit index is read.
struct FileIdInformation {
    ULONGLONG volumeSerialNumber;
    BYTE identifier[16];
};
constexpr auto kFileIdInfo = static_cast<FILE_INFO_BY_HANDLE_CLASS>(18);

}  // namespace

bool ReadHandleIdentity(HANDLE file, FileIdentity& identity) {
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
    return read;
}

bool ReadIdentity(const char16_t* path, FileIdentity& identity) {
    // No access asked beyond the attributes: a file another program holds is still known.
    HANDLE file = OpenFileAt(path, FILE_READ_ATTRIBUTES,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING,
                             FILE_FLAG_BACKUP_SEMANTICS);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool read = ReadHandleIdentity(file, identity);
    const DWORD error = GetLastError();
    CloseHandle(file);
    SetLastError(error);
    return read;
}
