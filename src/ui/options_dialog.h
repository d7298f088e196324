#pragma once
#include <windows.h>

#include "engine/core/run_settings.h"

// Runs the options dialog captioned `title`; on OK it has set the option words and the log
// and verbose flags of `settings`. True when either option word is non-zero afterwards (also
// after Cancel, or when the dialog could not be created: the words are then as they were).
bool ShowOptionsDialog(RunSettings& settings, const char* title);

// The modal dialog of template 101. It keeps no state of its own: every box is read from the
// window when OK is pressed, into the settings it was given.
class OptionsDialog {
 public:
  OptionsDialog(RunSettings& settings, const char* title) : settings_(settings), title_(title) {}
  // Runs the dialog from the template in `module`'s resources; returns the end code (IDOK,
  // IDCANCEL) or -1 when the template is missing or the dialog cannot be created.
  INT_PTR Run(HMODULE module, HWND owner);

 private:
  static INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
  void Open(HWND dialog);
  static void CopySelectAll(HWND dialog, int selectAllId);
  void Accept(HWND dialog);

  RunSettings& settings_;
  const char* title_;
};
