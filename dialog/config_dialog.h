#pragma once
// The modal settings dialog of a filter instance.

#include "engine/filter_instance.h"

namespace lintra {

// Runs the dialog from template 101 of the module on the instance. Returns the modal call's
// result: 0 after OK (settings written), 1 after Cancel (settings untouched), -1 when the
// dialog cannot be created. Without a windowing system it always returns -1.
int showConfigDialog(FilterInstance& instance, void* moduleInstance, void* parentWindow);

}  // namespace lintra
