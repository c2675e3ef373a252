// The encoder arguments shared by every track of a launcher.
#pragma once
#include "foundation/wide_string.h"

// " --priority 0 " before the option arguments, then a blank and the extra arguments
// when there are any.
WideString ComposeCommonArguments(const WideString& optionArguments,
                                  const WideString& extraArguments);

// Whether the common arguments ask the encoder to decode (exact "--decode" anywhere).
bool IsDecodeRun(const WideString& commonArguments);
