#include "foundation/path_parts.h"

#include "foundation/text.h"

uint32_t FolderLengthOf(const char16_t* path, uint32_t length) {
    while (length > 0 && path[length - 1] != u'\\') --length;
    return length;
}

uint32_t FolderLengthOf(const char16_t* path) {
    return FolderLengthOf(path, TextLength(path));
}

const char16_t* FileNameOf(const char16_t* path) {
    return path + FolderLengthOf(path);
}
