#include "outputs/output_folders_win.h"

#include <cstring>

#include "win/make_folders_win.h"

void MakeOutputFolders(const TrackOutputs* named) {
    if (!named || named->NamedAsBefore()) return;
    WideString folder;
    for (uint32_t track = 0; track < named->Count(); ++track) {
        const OutputPath output = named->Output(track);
        const uint32_t length = static_cast<uint32_t>(output.FileName() - output.Text());
        if (length < 2) continue;  // in no folder of its own
        const uint32_t folderLength = length - 1;
        if (folder.Length() == folderLength &&
            std::memcmp(folder.Text(), output.Text(), folderLength * sizeof(char16_t)) == 0)
            continue;
        folder.AssignText(output.Text(), folderLength);
        MakeMissingFolders(folder.Text());
    }
}
