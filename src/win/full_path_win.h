// A path as the system resolves it against the current folder.
#pragma once
#include "foundation/wide_string.h"

// The full path GetFullPathNameW makes of the path (a relative one joined to the current
// folder); the path as it is when the call fails.
WideString FullPathOf(const WideString& path);
