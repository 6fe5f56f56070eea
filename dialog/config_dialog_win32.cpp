// The settings dialog on Win32: template 101 of the module, the instance kept in the dialog's
// own user slot, the logic in dialog_logic.cpp.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "dialog/config_dialog.h"
#include "dialog/dialog_ids.h"
#include "dialog/dialog_logic.h"

namespace lintra {
namespace {

class Win32Controls final : public DialogControls {
  public:
    explicit Win32Controls(HWND dialog) : dialog_(dialog) {}

    bool isChecked(int id) override { return IsDlgButtonChecked(dialog_, id) == BST_CHECKED; }

    void setChecked(int id, bool checked) override {
        CheckDlgButton(dialog_, id, checked ? BST_CHECKED : BST_UNCHECKED);
    }

    void showNumber(int id, std::uint32_t value) override {
        SetDlgItemInt(dialog_, id, value, FALSE);
    }

    // The text rather than GetDlgItemInt: that reads numbers of 2^32 and more as 0.
    void readText(int id, char* buffer, std::size_t size) override {
        buffer[0] = '\0';
        GetDlgItemTextA(dialog_, id, buffer, static_cast<int>(size));
    }

    void endDialog(int code) override { EndDialog(dialog_, code); }

  private:
    HWND dialog_;
};

// The dialog's own user slot (DWL_USER, byte 8 on 32-bit Windows), not GWLP_USERDATA.
FilterInstance* instanceOf(HWND dialog) {
    return reinterpret_cast<FilterInstance*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

INT_PTR CALLBACK configDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    Win32Controls controls(dialog);
    switch (message) {
        case WM_INITDIALOG: {
            SetWindowLongPtrA(dialog, DWLP_USER, lParam);
            const auto* instance = reinterpret_cast<const FilterInstance*>(lParam);
            initialiseDialog(instance->settings, controls);
            return TRUE;
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) {
                confirmDialog(instanceOf(dialog)->settings, controls);
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                cancelDialog(controls);
                return FALSE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}

}  // namespace

int showConfigDialog(FilterInstance& instance, void* moduleInstance, void* parentWindow) {
    const INT_PTR result = DialogBoxParamA(
        static_cast<HINSTANCE>(moduleInstance), MAKEINTRESOURCEA(LINTRA_DIALOG_TEMPLATE),
        static_cast<HWND>(parentWindow), configDialogProc, reinterpret_cast<LPARAM>(&instance));
    return static_cast<int>(result);
}

}  // namespace lintra
