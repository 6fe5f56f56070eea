#pragma once
// The registration record of the one filter this module provides.

#include "host/host_records.h"

namespace lintra::host {

// The module's static FilterDescription: name, maker, instance size and every operation.
FilterDescription& filterDescription();

}  // namespace lintra::host
