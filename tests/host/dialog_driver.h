#pragma once
// Drives the real settings dialog through the configure operation (Windows builds).

#include "host/host_records.h"

namespace lintra::testhost {

// Opens the dialog on fresh instances, checks what it shows and how it is laid out, types
// values, presses OK or Cancel and checks the settings that result. With a screenshot path,
// also saves a picture of the dialog there as a BMP.
void runDialogTests(const host::FilterDescription& description, void* moduleHandle,
                    const char* screenshotPath);

}  // namespace lintra::testhost
