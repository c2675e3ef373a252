#include "gui/launcher_dialog.h"

#include "gui/harness.h"
#include "support/files_win.h"
#include "resources/control_ids.h"

namespace support {

void SetFieldText(HWND dialog, int id, const std::u16string& text) {
    SetDlgItemTextW(dialog, id, reinterpret_cast<const wchar_t*>(text.c_str()));
    PumpMessages();
}

void ClickButton(HWND dialog, int id) {
    SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
    PumpMessages();
}

void ChooseListEntry(HWND dialog, int comboId, int index) {
    HWND combo = GetDlgItem(dialog, comboId);
    SetFocus(combo);
    SendMessageW(combo, CB_SETCURSEL, index, 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(comboId, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
    PumpMessages();
}

void PressBatchButton(HWND dialog) {
    ClickButton(dialog, IDB_BATCH);
}

void LauncherScene::OpenScene(const std::u16string& scratchName, const std::u16string& tools,
                              const std::string& lameBytes) {
    folder_ = MakeScratchFolder(scratchName);
    MakeFolders(folder_ + tools);
    lame_ = folder_ + tools + u"lame.exe";
    WriteBytes(lame_, lameBytes);
    dialog_ = OpenFreshDialog();
    if (dialog_) SetFieldText(dialog_, IDE_LAME_PATH, lame_);
}

void LauncherScene::CloseScene() {
    CloseDialog(dialog_);
    RemoveTree(folder_);
}

void LauncherScene::RenewScene(const std::u16string& emptied) {
    CloseDialog(dialog_);
    RemoveTree(emptied);
    MakeFolders(emptied);
    dialog_ = OpenFreshDialog();
    if (dialog_) SetFieldText(dialog_, IDE_LAME_PATH, lame_);
}

}  // namespace support
