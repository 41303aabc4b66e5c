#pragma once
// Between the custom controls: an edit field hands typed text to the spinner linked to it.

#include <windows.h>

#include <string>

namespace standalone::win {

/// A typed number: optional blanks around a decimal or exponent form; false for anything else.
bool ParseTypedNumber(const std::wstring& text, float& value);
/// The spinner takes a value typed into its edit field and reports it as a whole change.
/// Text that differs from the value shown; the value shown is nothing to commit.
void SpinnerTakeTypedText(HWND spinner, const std::wstring& text);
/// The linked edit field shows the spinner's value again (what Escape does to typed text).
void SpinnerShowValue(HWND spinner);

}  // namespace standalone::win
