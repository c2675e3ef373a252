#include "win/side_by_side_win.h"

#include <windows.h>

namespace {

struct SecondPart {
    void (*work)(void* part);
    void* part;
};

DWORD WINAPI RunSecond(void* context) {
    const SecondPart& second = *static_cast<SecondPart*>(context);
    second.work(second.part);
    return 0;
}

}  // namespace

void RunSideBySide(void (*work)(void* part), void* first, void* second) {
    SecondPart other{work, second};
    HANDLE thread = CreateThread(nullptr, 256 * 1024, RunSecond, &other,
                                 STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    work(first);
    if (thread == nullptr) {
        work(second);
        return;
    }
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
}
