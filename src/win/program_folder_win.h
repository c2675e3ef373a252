// The program file's own folder, whatever the length of its path.
#pragma once
#include "foundation/wide_string.h"

// Full path of the program file, cut after its last backslash (the backslash kept).
WideString ProgramFolder();
