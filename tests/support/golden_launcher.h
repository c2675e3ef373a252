// The golden launcher files keep the launcher up to its last filled line (the callRun lines,
// lame_exe, arg_comm, delOrig); what follows is the built-in page's own text after that line,
// so the page is not stored twice. Platform-free, for the unit tests and the dialog's.
#pragma once
#include <string>

#include "launcher/launcher_template.h"

// The whole launcher a golden file stands for: its filled lines, then the built-in page's
// text after the line of %delOrig% (empty where the page has no such line).
inline std::string GoldenLauncher(const std::string& filledLines) {
    const std::string page = kBuiltInLauncherTemplate;
    const std::string lastFilled = "var deleteOriginals = %delOrig%;\r\n";
    const size_t rest = page.find(lastFilled);
    if (rest == std::string::npos) return std::string();
    return filledLines + page.substr(rest + lastFilled.size());
}
