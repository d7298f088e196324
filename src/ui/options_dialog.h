#pragma once
#include <windows.h>

// Runs the options dialog; on OK it has set the option words and the log and verbose flags.
// True when either option word is non-zero afterwards (also after Cancel, or when the dialog
// could not be created: the words are then as they were).
bool ShowOptionsDialog();

// The modal dialog of template 101. It keeps no state: every box is read from the window
// when OK is pressed.
class OptionsDialog {
 public:
  // Runs the dialog from the template in `module`'s resources; returns the end code (IDOK,
  // IDCANCEL) or -1 when the template is missing or the dialog cannot be created.
  INT_PTR Run(HMODULE module, HWND owner);

 private:
  static INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
  static void Open(HWND dialog);
  static void CopySelectAll(HWND dialog, int selectAllId);
  static void Accept(HWND dialog);
};
