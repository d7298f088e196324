#include "ui/options_dialog.h"

#include "engine/core/run_settings.h"
#include "resource.h"

namespace {

// One check box that adds a bit to an option word.
struct OptionBox {
  int id;
  int32_t bit;
};

// The boxes of one client's group, in the order they are read on OK, and the "Select all"
// box that ticks or clears them.
struct OptionGroup {
  int selectAllId;
  int32_t RunSettings::*word;
  OptionBox boxes[6];
};

const OptionGroup kGroups[] = {
    {IDC_PEL_SELECT_ALL, &RunSettings::pelOptions,
     {{IDC_PEL_ALL_USERS, OPT_ALL_USERS}, {IDC_PEL_DESKTOP, OPT_DESKTOP_SHORTCUTS},
      {IDC_PEL_PROGRAM_MENU, OPT_START_MENU}, {IDC_PEL_CONTENT_STORE, OPT_CONTENT_STORE},
      {IDC_PEL_SHUTDOWN, OPT_SHUTDOWN_CLIENT}, {IDC_PEL_PREFS, OPT_PREFS}}},
    {IDC_ORV_SELECT_ALL, &RunSettings::orvOptions,
     {{IDC_ORV_ALL_USERS, OPT_ALL_USERS}, {IDC_ORV_DESKTOP, OPT_DESKTOP_SHORTCUTS},
      {IDC_ORV_PROGRAM_MENU, OPT_START_MENU}, {IDC_ORV_CONTENT_STORE, OPT_CONTENT_STORE},
      {IDC_ORV_SHUTDOWN, OPT_SHUTDOWN_CLIENT}, {IDC_ORV_PREFS, OPT_PREFS}}},
};

bool IsTicked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) != BST_UNCHECKED; }

}  // namespace

bool ShowOptionsDialog(RunSettings& settings, const char* title) {
  OptionsDialog dialog(settings, title);
  dialog.Run(GetModuleHandleA(nullptr), GetActiveWindow());
  return settings.pelOptions != 0 || settings.orvOptions != 0;
}

INT_PTR OptionsDialog::Run(HMODULE module, HWND owner) {
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(IDD_OPTIONS), RT_DIALOG);
  if (!found) return -1;
  const void* resource = LockResource(LoadResource(module, found));
  if (!resource) return -1;
  return DialogBoxIndirectParamA(module, static_cast<LPCDLGTEMPLATEA>(resource), owner, Procedure,
                                 reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK OptionsDialog::Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrA(dialog, DWLP_USER, lParam);
    reinterpret_cast<OptionsDialog*>(lParam)->Open(dialog);
    return TRUE;  // the dialog manager focuses the first control of the tab order
  }
  if (message != WM_COMMAND) return FALSE;
  auto* self = reinterpret_cast<OptionsDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
  const int id = LOWORD(wParam);
  switch (id) {
    case IDOK: self->Accept(dialog); return TRUE;
    case IDCANCEL: EndDialog(dialog, IDCANCEL); return TRUE;
    case IDC_PEL_SELECT_ALL:
    case IDC_ORV_SELECT_ALL:
      if (HIWORD(wParam) != BN_CLICKED) return FALSE;
      CopySelectAll(dialog, id);
      return TRUE;
  }
  return FALSE;
}

// Caption from the program title; the dialog is centred in the span from the screen's
// top-left corner to the work area's bottom-right corner.
void OptionsDialog::Open(HWND dialog) {
  SetWindowTextA(dialog, title_);
  RECT window = {};
  RECT work = {};
  GetWindowRect(dialog, &window);
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  const int x = (work.right - (window.right - window.left)) / 2;
  const int y = (work.bottom - (window.bottom - window.top)) / 2;
  SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE);
}

// The "Select all" box has already toggled itself; its group follows it.
void OptionsDialog::CopySelectAll(HWND dialog, int selectAllId) {
  for (const OptionGroup& group : kGroups) {
    if (group.selectAllId != selectAllId) continue;
    const UINT state = IsTicked(dialog, selectAllId) ? BST_CHECKED : BST_UNCHECKED;
    for (const OptionBox& box : group.boxes) CheckDlgButton(dialog, box.id, state);
  }
}

// Adds the bit of every ticked box to its word (both are 0 whenever the dialog is shown)
// and takes the log and verbose flags from their boxes.
void OptionsDialog::Accept(HWND dialog) {
  for (const OptionGroup& group : kGroups)
    for (const OptionBox& box : group.boxes)
      if (IsTicked(dialog, box.id)) settings_.*group.word |= box.bit;
  settings_.logEnabled = IsTicked(dialog, IDC_WRITE_LOG);
  settings_.verbose = IsTicked(dialog, IDC_VERBOSE);
  EndDialog(dialog, IDOK);
}
