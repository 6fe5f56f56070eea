// Builds without the Win32 user interface have no dialog: every call fails as the modal call
// does when it cannot create the dialog.

#include "dialog/config_dialog.h"

namespace lintra {

int showConfigDialog(FilterInstance&, void*, void*) {
    return -1;
}

}  // namespace lintra
