// What a user does on the main dialog before and when pressing "Batch (.hta) &speichern".
#pragma once
#include <windows.h>

#include <string>

namespace support {

// Puts text into a field as pasting it would (the path field and the "+" field react to
// nothing but the launcher write, so no typing is needed there).
void SetFieldText(HWND dialog, int id, const std::u16string& text);
// Clicks a check box or push button (BM_CLICK: button down and up, then BN_CLICKED).
void ClickButton(HWND dialog, int id);
// Chooses an entry of an option list: the selection, then the CBN_SELCHANGE it sends.
void ChooseListEntry(HWND dialog, int comboId, int index);
// Presses the batch button; returns when the run and all its message boxes are done.
void PressBatchButton(HWND dialog);

// What every launcher test starts from: a scratch folder with the encoder file in it
// (lameBytes at tools + "lame.exe") and a fresh main dialog with the encoder's path in
// "Lame.exe-Pfadname:". CloseScene closes the dialog and removes the folder.
class LauncherScene {
  protected:
    // dialog_ stays null when the dialog cannot be made.
    void OpenScene(const std::u16string& scratchName, const std::u16string& tools,
                   const std::string& lameBytes);
    void CloseScene();
    // A fresh dialog, and `emptied` (a folder in the scene) empty again: the same scene for
    // each row of a table.
    void RenewScene(const std::u16string& emptied);

    std::u16string folder_, lame_;
    HWND dialog_ = nullptr;
};

}  // namespace support
