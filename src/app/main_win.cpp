// Process entry: create the main dialog, show it and run the one message loop.
#include "app/shell_win.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    HWND mainWindow = CreateMainDialog(instance);
    if (!mainWindow) return 0;
    ShowWindow(mainWindow, showCommand);
    UpdateWindow(mainWindow);
    return RunMessageLoop(mainWindow, LoadProgramAccelerators(instance));
}
