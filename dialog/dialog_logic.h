#pragma once
// What the settings dialog does, independent of any windowing system: it fills the controls
// from the settings, and on OK reads them back, clamps and derives the coefficients.

#include <cstddef>
#include <cstdint>

#include "engine/filter_settings.h"

namespace lintra {

// The few things the dialog asks of its controls, by control ID.
class DialogControls {
  public:
    virtual bool isChecked(int id) = 0;
    virtual void setChecked(int id, bool checked) = 0;
    virtual void showNumber(int id, std::uint32_t value) = 0;
    // Copies the control's text, cut to size - 1 characters, with a terminating zero.
    virtual void readText(int id, char* buffer, std::size_t size) = 0;
    virtual void endDialog(int code) = 0;

  protected:
    ~DialogControls() = default;
};

inline constexpr int kDialogConfirmed = 0;
inline constexpr int kDialogCancelled = 1;

// The number in an edit: leading blanks skipped, decimal digits up to the first other
// character, 0 when there are none. Numbers beyond the signed 32-bit range read as its
// largest value, so they clamp to the top of each range instead of wrapping negative.
std::int32_t readDialogNumber(const char* text);

// Flags to the check boxes and radio buttons, lengths and vertical thresholds to the edits.
void initialiseDialog(const FilterSettings& settings, DialogControls& controls);

// OK: flags, then lengths, then thresholds (each group's one threshold to both of its
// fields), then the dialog is ended with 0, then everything is clamped and derived.
void confirmDialog(FilterSettings& settings, DialogControls& controls);

// Cancel: ends the dialog with 1; the settings are not touched.
void cancelDialog(DialogControls& controls);

}  // namespace lintra
