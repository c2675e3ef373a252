// Former name of gui/launcher_dialog.h, still included by the launcher end-to-end tests.
#pragma once
#include "gui/launcher_dialog.h"
