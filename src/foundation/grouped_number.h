// Numbers in the program's German texts.
#pragma once
#include <cstdint>

#include "foundation/wide_string.h"

// "1.234.567": digits in groups of three, as German text writes numbers.
void AppendGroupedNumber(WideString& text, uint32_t number);
