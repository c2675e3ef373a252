// One user's session on the real dialog with many tracks, each step timed: drop, a click on
// the first row, Ctrl+A, a keystroke in "Album:", numbering, all but the last selected,
// "&runter", the launcher write. Also the stages of the launcher text on their own.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

struct StepFigure {
    std::string name;
    double milliseconds = 0;  // median over the repetitions
    // GetProcessMemoryInfo when the step had run, in the first repetition (a fresh process).
    SIZE_T peakWorkingSet = 0;
    SIZE_T peakPagefileUsage = 0;
};

struct SessionResult {
    std::vector<StepFigure> steps;
    std::vector<std::string> failures;  // checks of what the steps did; empty when all held
};

// Runs the session `repetitions` times on a fresh dialog with `tracks` dropped files in a
// scratch folder of its own, which it removes again. lamePath: an existing file, for the
// path check of the launcher write.
SessionResult RunSession(int tracks, int repetitions, const std::u16string& lamePath);
