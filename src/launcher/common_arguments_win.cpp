#include "launcher/common_arguments_win.h"

#include "launcher/common_arguments.h"
#include "options/options_win.h"
#include "win/control_text_win.h"

WideString ComposeCommonArgumentsFromControls(const DialogState& state) {
    WideString optionArguments;
    ComposeOptionArgumentsFromControls(state, optionArguments);
    WideString extraArguments;
    ReadField(state.controls.extraArguments, extraArguments);
    return ComposeCommonArguments(optionArguments, extraArguments);
}
