#include "outputs/output_folder.h"

#include "foundation/text.h"
#include "outputs/windows_names.h"

namespace {

bool StartsWithDrive(const char16_t* folder) {
    return ((folder[0] >= u'A' && folder[0] <= u'Z') || (folder[0] >= u'a' && folder[0] <= u'z')) &&
           folder[1] == u':';
}

// "\\server\share": the length of the share's root without its last backslash, 0 if none.
uint32_t ShareRootLength(const char16_t* folder) {
    if (folder[0] != u'\\' || folder[1] != u'\\') return 0;
    uint32_t at = 2;
    uint32_t names = 0;
    while (names < 2) {
        const uint32_t start = at;
        while (folder[at] && folder[at] != u'\\') ++at;
        if (at == start) return 0;
        ++names;
        if (names < 2) {
            if (!folder[at]) return 0;
            ++at;
        }
    }
    return at;
}

}  // namespace

FolderProblem CheckOutputFolder(const char16_t* folder) {
    const uint32_t length = TextLength(folder);
    if (length == 0) return FolderProblem::kEmpty;
    const bool onDrive = StartsWithDrive(folder) && (length == 2 || folder[2] == u'\\');
    if (!onDrive && ShareRootLength(folder) == 0) return FolderProblem::kNotAbsolute;
    for (uint32_t end = 0; end <= length; ++end) {
        if (end < length && folder[end] != u'\\') continue;
        uint32_t start = end;
        while (start > 0 && folder[start - 1] != u'\\') --start;
        const bool dots = end - start <= 2 && folder[start] == u'.' && folder[end - 1] == u'.';
        if (end > start && !dots && (folder[end - 1] == u'.' || IsBlank(folder[end - 1])))
            return FolderProblem::kPartEndsInDotOrBlank;
    }
    if (length > kLongestOutputFolder) return FolderProblem::kTooLong;
    return FolderProblem::kNone;
}

WideString RootOfFolder(const char16_t* folder) {
    WideString root;
    if (StartsWithDrive(folder)) {
        root.AssignText(folder, 2);
    } else if (const uint32_t share = ShareRootLength(folder)) {
        root.AssignText(folder, share);
    }
    if (!root.IsEmpty()) root.Append(u"\\");
    return root;
}
