#include "app/lame_chooser_win.h"

#include <commdlg.h>

#include "win/utf16_cast.h"

namespace {
// Room for the longest path Windows allows, so a deep install can be chosen too.
constexpr DWORD kFileNameUnits = 32768;
}  // namespace

void ChooseLameExe(const DialogState& state) {
    WideString fileName;
    if (!fileName.PrepareBuffer(kFileNameUnits - 1)) return;
    GetWindowTextW(state.controls.lamePath, AsWide(fileName.Buffer()), kFileNameUnits);

    OPENFILENAMEW request = {};
    request.lStructSize = sizeof(request);
    request.hwndOwner = state.dialog;
    request.lpstrFilter = L"Progarmme (*.exe)\0*.exe\0Alle Dateien (*.*)\0*.*\0";
    request.nFilterIndex = 1;
    request.lpstrFile = AsWide(fileName.Buffer());
    request.nMaxFile = kFileNameUnits;
    request.Flags = OFN_READONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    if (GetOpenFileNameW(&request)) SetWindowTextW(state.controls.lamePath, request.lpstrFile);
}
