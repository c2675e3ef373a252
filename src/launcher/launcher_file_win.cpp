// Writing the launcher file through a temporary file, so that a failed write (a full disk,
// a lost network drive) leaves no broken launcher and an existing one untouched.
#include "launcher/launcher_file_win.h"

#include "win/file_calls_win.h"
#include "launcher/launcher_names.h"

namespace {

// Whether what exists at the path may be replaced by a new file. The read-only attribute
// is tested itself: a rename over a read-only file succeeds on some file systems (and
// under Wine run as root, where the attribute is only the missing write permission).
bool MayReplace(const WideString& path) {
    const DWORD attributes = FileAttributesAt(path.Text());
    if (attributes == INVALID_FILE_ATTRIBUTES) return GetLastError() == ERROR_FILE_NOT_FOUND;
    if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) return false;
    // Opening it for writing also finds a file locked by another program or denied to us.
    HANDLE probe = OpenFileAt(path.Text(), GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL);
    if (probe == INVALID_HANDLE_VALUE) return false;
    CloseHandle(probe);
    return true;
}

bool WriteAll(HANDLE handle, const NarrowString& bytes) {
    const char* data = bytes.Text();
    DWORD remaining = bytes.Length();
    while (remaining > 0) {
        DWORD written = 0;
        if (!WriteFile(handle, data, remaining, &written, nullptr) || written == 0) return false;
        data += written;
        remaining -= written;
    }
    // A network drive may report its failure only when the data is flushed.
    return FlushFileBuffers(handle) != FALSE;
}

void RemoveTemporary(LauncherFile& file) {
    if (file.handle != INVALID_HANDLE_VALUE) CloseHandle(file.handle);
    file.handle = INVALID_HANDLE_VALUE;
    DeleteFileAt(file.temporaryPath.Text());
}

}  // namespace

bool OpenLauncherFile(const WideString& targetPath, LauncherFile& file) {
    file.targetPath = targetPath;
    file.temporaryPath = TemporaryLauncherPathFor(targetPath);
    if (file.temporaryPath.IsEmpty() || !MayReplace(targetPath)) return false;
    // A temporary file left by an earlier run that ended half-way is simply overwritten.
    file.handle = OpenFileAt(file.temporaryPath.Text(), GENERIC_WRITE, FILE_SHARE_READ,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_ARCHIVE);
    return file.handle != INVALID_HANDLE_VALUE;
}

LauncherWrite FinishLauncherFile(LauncherFile& file, const NarrowString& bytes, bool complete) {
    if (!complete || !WriteAll(file.handle, bytes)) {
        RemoveTemporary(file);
        return LauncherWrite::kIncomplete;
    }
    const BOOL closed = CloseHandle(file.handle);
    file.handle = INVALID_HANDLE_VALUE;
    if (!closed) {
        RemoveTemporary(file);
        return LauncherWrite::kIncomplete;
    }
    if (!MayReplace(file.targetPath) ||
        !MoveFileAt(file.temporaryPath.Text(), file.targetPath.Text(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        RemoveTemporary(file);
        return LauncherWrite::kNotReplaced;
    }
    return LauncherWrite::kWritten;
}
