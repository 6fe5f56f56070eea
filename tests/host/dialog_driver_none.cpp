// Without the Win32 user interface there is no dialog to drive.

#include "tests/host/dialog_driver.h"
#include "tests/host/host_checks.h"

namespace lintra::testhost {

void runDialogTests(const host::FilterDescription&, void*, const char*) {
    check(false, "the dialog can only be driven on Windows");
}

}  // namespace lintra::testhost
