// A dropped file opened to read its tags: for reading only and shared with every other program
// (a player or tagger may hold it open for writing), and only when it is a file on a disk (a
// device such as "CON" or a pipe could keep a read waiting forever). Implemented by
// tracks/source_file_win.cpp on Windows and by tracks/source_file_portable.cpp elsewhere.
#pragma once
#include <cstdint>

struct SourceFile;

// Null when the file cannot be opened for reading or is no file on a disk.
SourceFile* OpenSourceFile(const char16_t* path);
void CloseSourceFile(SourceFile* file);
// The size the file had when it was opened.
uint64_t SourceFileSize(const SourceFile& file);
// Reads up to count bytes from the offset on (the caller keeps within the size); the number
// read, 0 at the end or on an error.
uint32_t ReadSourceFile(SourceFile& file, uint64_t offset, void* buffer, uint32_t count);
