// Former name of support/files_win.h, still included by the launcher end-to-end tests.
#pragma once
#include "support/files_win.h"

namespace batch = support;
