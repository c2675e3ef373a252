// Two parts of a job at once: the second on a thread of its own, the first on the caller's.
#pragma once

// A SideBySide (foundation/side_by_side.h): where no thread can be made, the second part runs
// after the first on the caller's thread.
void RunSideBySide(void (*work)(void* part), void* first, void* second);
