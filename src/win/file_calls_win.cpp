#include "win/file_calls_win.h"

#include "foundation/long_path.h"
#include "foundation/wide_string.h"
#include "win/utf16_cast.h"

namespace {

// The text one call is given for a path, held while the call runs.
class CallPath {
  public:
    CallPath(const char16_t* path, bool folder)
        : text_(AsWide(folder ? PathForFolderCalls(path, holder_)
                              : PathForFileCalls(path, holder_))) {}
    explicit CallPath(const char16_t* path) : CallPath(path, false) {}
    // Freeing the holder leaves the call's last error as it was.
    ~CallPath() {
        const DWORD error = GetLastError();
        holder_.Clear();
        SetLastError(error);
    }
    CallPath(const CallPath&) = delete;
    CallPath& operator=(const CallPath&) = delete;
    operator const wchar_t*() const { return text_; }

  private:
    WideString holder_;
    const wchar_t* text_;
};

}  // namespace

DWORD FileAttributesAt(const char16_t* path) {
    return GetFileAttributesW(CallPath(path));
}

bool FileAttributeDataAt(const char16_t* path, WIN32_FILE_ATTRIBUTE_DATA& data) {
    return GetFileAttributesExW(CallPath(path), GetFileExInfoStandard, &data) != FALSE;
}

HANDLE OpenFileAt(const char16_t* path, DWORD access, DWORD share, DWORD disposition, DWORD flags) {
    return CreateFileW(CallPath(path), access, share, nullptr, disposition, flags, nullptr);
}

HANDLE FindFirstFileAt(const char16_t* pattern, WIN32_FIND_DATAW* found) {
    return FindFirstFileExW(CallPath(pattern), FindExInfoBasic, found, FindExSearchNameMatch,
                            nullptr, FIND_FIRST_EX_LARGE_FETCH);
}

bool DeleteFileAt(const char16_t* path) {
    return DeleteFileW(CallPath(path)) != FALSE;
}

bool MoveFileAt(const char16_t* from, const char16_t* to, DWORD flags) {
    return MoveFileExW(CallPath(from), CallPath(to), flags) != FALSE;
}

DWORD FolderAttributesAt(const char16_t* folder) {
    return GetFileAttributesW(CallPath(folder, true));
}

bool MakeFolderAt(const char16_t* folder) {
    return CreateDirectoryW(CallPath(folder, true), nullptr) != FALSE;
}
