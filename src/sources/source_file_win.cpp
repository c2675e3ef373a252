#include <windows.h>

#include <cstring>
#include <new>

#include "sources/source_file.h"
#include "win/file_calls_win.h"

// Small reads are served from a block read ahead: TagLib reads many pieces of a few bytes
// (an atom's header, a frame's), and a file of 100,000 atoms would otherwise cost as many
// ReadFile calls (seconds under Wine).
constexpr uint32_t kReadAhead = 8192;

struct SourceFile {
    HANDLE handle;
    uint64_t size;
    // Where the handle stands: it is moved only when a read starts elsewhere, since TagLib
    // seeks far more often than it reads.
    uint64_t position;
    uint64_t aheadStart;
    uint32_t aheadLength;
    unsigned char ahead[kReadAhead];
};

namespace {

uint32_t ReadAt(SourceFile& file, uint64_t offset, void* buffer, uint32_t count) {
    if (file.position != offset) {
        LARGE_INTEGER to = {};
        to.QuadPart = static_cast<LONGLONG>(offset);
        if (!SetFilePointerEx(file.handle, to, nullptr, FILE_BEGIN)) return 0;
        file.position = offset;
    }
    DWORD read = 0;
    if (!ReadFile(file.handle, buffer, count, &read, nullptr)) {
        // Where the handle stands after a failed read is not known.
        file.position = UINT64_MAX;
        return 0;
    }
    file.position += read;
    return read;
}

}  // namespace

SourceFile* OpenSourceFile(const char16_t* path) {
    HANDLE handle =
        OpenFileAt(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    LARGE_INTEGER size = {};
    SourceFile* file = nullptr;
    if (GetFileType(handle) == FILE_TYPE_DISK && GetFileSizeEx(handle, &size))
        file = new (std::nothrow) SourceFile{handle, static_cast<uint64_t>(size.QuadPart), 0, 0, 0};
    if (file == nullptr) CloseHandle(handle);
    return file;
}

void CloseSourceFile(SourceFile* file) {
    if (file == nullptr) return;
    CloseHandle(file->handle);
    delete file;
}

uint64_t SourceFileSize(const SourceFile& file) {
    return file.size;
}

uint32_t ReadSourceFile(SourceFile& file, uint64_t offset, void* buffer, uint32_t count) {
    if (count == 0) return 0;
    if (count > kReadAhead / 2) return ReadAt(file, offset, buffer, count);
    if (offset < file.aheadStart || offset + count > file.aheadStart + file.aheadLength) {
        file.aheadStart = offset;
        file.aheadLength = ReadAt(file, offset, file.ahead, kReadAhead);
    }
    const uint64_t left = file.aheadStart + file.aheadLength - offset;
    if (count > left) count = static_cast<uint32_t>(left);
    std::memcpy(buffer, file.ahead + (offset - file.aheadStart), count);
    return count;
}
