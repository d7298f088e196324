#pragma once
// Drives the message boxes and dialogs of another process as a user would: finds the next
// one, reads it, presses its buttons and ticks its boxes.
#include <windows.h>

#include <string>
#include <vector>

struct BoxInfo {
  HWND window = nullptr;
  std::string caption;
  std::string text;                  // a message box's text (static control 0xFFFF)
  std::vector<std::string> buttons;  // push button captions without "&", in child order
  // Which icon can be told only for boxes of the calling process (icon handles are
  // per process); another process's icon shows as OTHER.
  enum Icon { NONE, INFORMATION, EXCLAMATION, QUESTION, STOP, OTHER } icon = NONE;
  bool isMessageBox = false;         // has the message-box text control
  bool owned = false;                // has an owner window
};

// Waits up to `timeoutMs` for a visible top-level dialog window (class "#32770") of the
// process. False when none appeared in time.
bool WaitForBox(DWORD processId, DWORD timeoutMs, BoxInfo& box);

// Presses the button whose caption (without "&") equals `name`, ignoring case.
bool PressButton(const BoxInfo& box, const char* name);
// Clicks the control with the id (a check box toggles as under the mouse).
bool ClickControl(const BoxInfo& box, int controlId);
bool IsTicked(const BoxInfo& box, int controlId);
// Closes the box as the caption's close button would (WM_CLOSE).
void CloseBox(const BoxInfo& box);
const char* IconName(BoxInfo::Icon icon);
