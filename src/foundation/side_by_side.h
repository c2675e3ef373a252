// A job done in two parts at once, where the caller has a way to (threads, on Windows).
#pragma once

// Runs work(first) and work(second) and returns when both are done, at once or one after the
// other.
using SideBySide = void (*)(void (*work)(void* part), void* first, void* second);

inline void RunBoth(SideBySide sideBySide, void (*work)(void* part), void* first, void* second) {
    if (sideBySide) {
        sideBySide(work, first, second);
        return;
    }
    work(first);
    work(second);
}
