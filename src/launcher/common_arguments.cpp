#include "launcher/common_arguments.h"

#include "foundation/text.h"

WideString ComposeCommonArguments(const WideString& optionArguments,
                                  const WideString& extraArguments) {
    WideString common = optionArguments;
    common.Prepend(u" --priority 0 ");
    if (!extraArguments.IsEmpty()) {
        common.Append(u" ");
        common.Append(extraArguments);
    }
    return common;
}

bool IsDecodeRun(const WideString& commonArguments) {
    return FindText(commonArguments.Text(), u"--decode") != nullptr;
}
