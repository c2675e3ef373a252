#include "launcher/launcher_names.h"

#include "foundation/path_parts.h"
#include "foundation/text.h"

const char16_t kLauncherFileName[] = u"Lame-Aufruf.hta";

namespace {

// "(n).hta", as wsprintfW gives it with "(%d).hta".
void AppendNumberedEnding(WideString& path, int n) {
    WideString ending;
    ending.Format(u"(%d).hta", n);
    path.Append(ending);
}

}  // namespace

WideString LauncherPathFor(const WideString& firstTrackPath) {
    WideString path = firstTrackPath;
    path.Truncate(FolderLengthOf(path.Text()));
    path.Append(kLauncherFileName);
    return path;
}

WideString FindNumberedLauncherPath(const WideString& launcherPath, PathExistsTest exists,
                                    void* context) {
    WideString base = launcherPath;
    base.Truncate(static_cast<uint32_t>(base.FindLastChar(u'.')));
    WideString candidate;
    for (int n = 1;; ++n) {
        candidate = base;
        AppendNumberedEnding(candidate, n);
        if (!exists(candidate.Text(), context) || n == 0x7FFFFFFF) return candidate;
    }
}

WideString TemporaryLauncherPathFor(const WideString& launcherPath) {
    const uint32_t length = launcherPath.Length();
    const bool hta = length >= 4 && CompareNoCase(launcherPath.Text() + length - 4, u".hta") == 0;
    const uint32_t stem = hta ? length - 4 : length;
    WideString path;
    path.AssignText(launcherPath.Text(), stem);
    path.Append(u".tmp");
    // Without memory for it, no path at all rather than one naming some other file.
    if (path.Length() != stem + 4) path.Clear();
    return path;
}
