// "<" beside the Lame.exe path: pick the encoder with the open-file dialog.
#include "app/shell_win.h"

#include <commdlg.h>

#include "resources/control_ids.h"

namespace {
// Room for the longest path Windows allows, so a deep install can be chosen too.
constexpr DWORD kFileNameUnits = 32768;
}  // namespace

void ChooseLameExe(HWND dialog) {
    WideString fileName;
    if (!fileName.PrepareBuffer(kFileNameUnits - 1)) return;
    GetDlgItemTextW(dialog, IDE_LAME_PATH, AsWide(fileName.Buffer()), kFileNameUnits);

    OPENFILENAMEW request = {};
    request.lStructSize = sizeof(request);
    request.hwndOwner = dialog;
    request.lpstrFilter = L"Progarmme (*.exe)\0*.exe\0Alle Dateien (*.*)\0*.*\0";
    request.nFilterIndex = 1;
    request.lpstrFile = AsWide(fileName.Buffer());
    request.nMaxFile = kFileNameUnits;
    request.Flags = OFN_READONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    if (GetOpenFileNameW(&request)) SetDlgItemTextW(dialog, IDE_LAME_PATH, request.lpstrFile);
}
