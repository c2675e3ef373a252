// The source file without Win32: the name as UTF-8, read through the C library.
#include <cstdio>
#include <filesystem>
#include <new>
#include <system_error>

#include "foundation/narrow_string.h"
#include "foundation/wide_string.h"
#include "sources/source_file.h"

struct SourceFile {
    std::FILE* stream;
    uint64_t size;
};

SourceFile* OpenSourceFile(const char16_t* path) {
    const NarrowString name = WideString().AssignText(path).ToUtf8();
    std::error_code error;
    const std::filesystem::path where(name.Text());
    if (!std::filesystem::is_regular_file(where, error)) return nullptr;
    const uintmax_t size = std::filesystem::file_size(where, error);
    if (error) return nullptr;
    std::FILE* stream = std::fopen(name.Text(), "rb");
    if (stream == nullptr) return nullptr;
    auto* file = new (std::nothrow) SourceFile{stream, static_cast<uint64_t>(size)};
    if (file == nullptr) std::fclose(stream);
    return file;
}

void CloseSourceFile(SourceFile* file) {
    if (file == nullptr) return;
    std::fclose(file->stream);
    delete file;
}

uint64_t SourceFileSize(const SourceFile& file) {
    return file.size;
}

uint32_t ReadSourceFile(SourceFile& file, uint64_t offset, void* buffer, uint32_t count) {
    if (count == 0 || std::fseek(file.stream, static_cast<long>(offset), SEEK_SET) != 0) return 0;
    return static_cast<uint32_t>(std::fread(buffer, 1, count, file.stream));
}
