#include "foundation/long_path.h"

namespace {

bool IsLetter(char16_t unit) {
    return (unit >= u'A' && unit <= u'Z') || (unit >= u'a' && unit <= u'z');
}

// Whether the parts from `start` on are joined by single backslashes alone and none is "." or
// "..": what the usual form would have normalised. A backslash may end the path (a folder).
// The last part is not judged where a suffix continues it.
bool HasOnlyPlainParts(const char16_t* path, uint32_t start, uint32_t length, bool continued) {
    uint32_t partStart = start;
    for (uint32_t i = start; i <= length; ++i) {
        if (i < length && path[i] == u'/') return false;
        if (i < length && path[i] != u'\\') continue;
        if (i == length && continued) break;
        const uint32_t partLength = i - partStart;
        const bool dots =
            (partLength == 1 && path[partStart] == u'.') ||
            (partLength == 2 && path[partStart] == u'.' && path[partStart + 1] == u'.');
        if (dots || (partLength == 0 && i < length)) return false;
        partStart = i + 1;
    }
    return true;
}

}  // namespace

ExtendedLengthPrefix ExtendedLengthPrefixOf(const char16_t* path, uint32_t length,
                                            uint32_t suffixLength, uint32_t longFrom) {
    constexpr ExtendedLengthPrefix kNone{u"", 0};
    if (path == nullptr || uint64_t(length) + suffixLength < longFrom) return kNone;
    // A drive path, C:\...
    if (length >= 3 && IsLetter(path[0]) && path[1] == u':' && path[2] == u'\\')
        return HasOnlyPlainParts(path, 3, length, suffixLength > 0)
                   ? ExtendedLengthPrefix{u"\\\\?\\", 0}
                   : kNone;
    // A network path, \\server\share\..., but not a device path (\\?\..., \\.\...).
    if (length >= 3 && path[0] == u'\\' && path[1] == u'\\' && path[2] != u'\\' &&
        !((path[2] == u'?' || path[2] == u'.') && length > 3 && path[3] == u'\\'))
        return HasOnlyPlainParts(path, 2, length, suffixLength > 0)
                   ? ExtendedLengthPrefix{u"\\\\?\\UNC", 1}
                   : kNone;
    return kNone;
}

namespace {

// The path as a file call takes it where the usual form is refused from `longFrom` units on.
const char16_t* FormFor(const char16_t* path, uint32_t longFrom, WideString& holder) {
    const ExtendedLengthPrefix prefix = ExtendedLengthPrefixOf(path, TextLength(path), 0, longFrom);
    if (*prefix.prefix == u'\0') return path;
    holder.AssignText(prefix.prefix);
    holder.Append(path + prefix.from);
    return holder.Text();
}

}  // namespace

const char16_t* PathForFileCalls(const char16_t* path, WideString& holder) {
    return FormFor(path, kLongPathFrom, holder);
}

const char16_t* PathForFolderCalls(const char16_t* folder, WideString& holder) {
    return FormFor(folder, kLongFolderFrom, holder);
}
