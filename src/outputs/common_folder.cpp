#include "outputs/common_folder.h"

#include "foundation/path_parts.h"
#include "foundation/text_services.h"
#include "outputs/windows_names.h"

WideString CommonFolderOf(const PointerArray<TrackRecord>& tracks) {
    const char16_t* common = nullptr;
    uint32_t commonLength = 0;
    for (uint32_t i = 0; i < tracks.Count(); ++i) {
        const TrackRecord* record = tracks.GetAt(i);
        if (!record || record->fields[kPath].IsEmpty()) continue;
        const char16_t* path = record->fields[kPath].Text();
        // A file found in a dropped folder counts as that folder, so that the folders below
        // it are kept even when all its music lies deeper.
        const uint32_t length =
            record->rootLength > 0 && record->rootLength < record->fields[kPath].Length()
                ? record->rootLength
                : FolderLength(path, record->fields[kPath].Length());
        if (!common) {
            common = path;
            commonLength = length;
            continue;
        }
        uint32_t same = 0;
        const uint32_t shorter = length < commonLength ? length : commonLength;
        while (same < shorter &&
               (common[same] == path[same] || UpperUnit(common[same]) == UpperUnit(path[same])))
            ++same;
        if (same == commonLength && (length == commonLength || path[same] == u'\\')) continue;
        if (same == length && common[same] == u'\\') {
            commonLength = length;
            continue;
        }
        const uint32_t cut = FolderLengthOf(common, same);
        commonLength = cut > 0 ? cut - 1 : 0;
    }
    WideString folder;
    if (common) folder.AssignText(common, commonLength);
    return folder;
}
