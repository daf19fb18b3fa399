// orvane-cli options: the option dialog's show→OK path without the window.
#pragma once

#include "cli/Arguments.h"
#include "cli/ConsoleView.h"
#include "foundation/AppState.h"

namespace orvane::cli {

// With --list: prints each keyed field of the model's layout with the texts it stores, marks the
// fields the dialog shows no control for, and notes the keys several controls share. Otherwise
// (IN already loaded into s): replaces the texts named by --set, encodes them as the dialog's OK
// does and writes the WRT file OUT. The settings file is never written. Unknown keys or texts,
// and texts a shared key cannot keep, throw UsageError saying which texts it takes.
int RunOptionsCommand(AppState& s, const Arguments& args, ConsoleView& view);

} // namespace orvane::cli
