#include "ui_driver.h"

namespace {

struct Search {
  DWORD processId;
  HWND found;
};

BOOL CALLBACK FindDialogOf(HWND window, LPARAM param) {
  Search* search = reinterpret_cast<Search*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->processId || !IsWindowVisible(window)) return TRUE;
  char className[64] = {};
  GetClassNameA(window, className, sizeof(className));
  if (lstrcmpA(className, "#32770") != 0) return TRUE;
  search->found = window;
  return FALSE;
}

std::string WindowText(HWND window) {
  char text[8192] = {};
  GetWindowTextA(window, text, sizeof(text));
  return text;
}

std::string WithoutAmpersands(const std::string& text) {
  std::string out;
  for (char c : text)
    if (c != '&') out += c;
  return out;
}

BoxInfo::Icon IdentifyIcon(HWND box) {
  // The icon control of a message box: 0x14 on Windows, stc1 (0x440) on Wine.
  HWND iconControl = GetDlgItem(box, 0x14);
  if (!iconControl) iconControl = GetDlgItem(box, 0x440);
  if (!iconControl) return BoxInfo::NONE;
  HICON icon = reinterpret_cast<HICON>(SendMessageA(iconControl, STM_GETICON, 0, 0));
  if (!icon) return BoxInfo::NONE;
  struct { LPCSTR id; BoxInfo::Icon icon; } known[] = {
      {IDI_ASTERISK, BoxInfo::INFORMATION}, {IDI_EXCLAMATION, BoxInfo::EXCLAMATION},
      {IDI_QUESTION, BoxInfo::QUESTION}, {IDI_HAND, BoxInfo::STOP}};
  for (const auto& k : known)
    if (LoadIconA(nullptr, k.id) == icon) return k.icon;
  return BoxInfo::OTHER;
}

BOOL CALLBACK CollectButton(HWND child, LPARAM param) {
  BoxInfo* box = reinterpret_cast<BoxInfo*>(param);
  char className[32] = {};
  GetClassNameA(child, className, sizeof(className));
  const LONG style = GetWindowLongA(child, GWL_STYLE) & 0x0F;
  if (lstrcmpiA(className, "Button") == 0 && (style == BS_PUSHBUTTON || style == BS_DEFPUSHBUTTON))
    box->buttons.push_back(WithoutAmpersands(WindowText(child)));
  return TRUE;
}

void ReadBox(HWND window, BoxInfo& box) {
  box = BoxInfo();
  box.window = window;
  box.caption = WindowText(window);
  box.owned = GetWindow(window, GW_OWNER) != nullptr;
  if (HWND text = GetDlgItem(window, 0xFFFF)) {
    box.isMessageBox = true;
    box.text = WindowText(text);
  }
  EnumChildWindows(window, CollectButton, reinterpret_cast<LPARAM>(&box));
  box.icon = IdentifyIcon(window);
}

}  // namespace

bool WaitForBox(DWORD processId, DWORD timeoutMs, BoxInfo& box) {
  const DWORD start = GetTickCount();
  for (;;) {
    Search search = {processId, nullptr};
    EnumWindows(FindDialogOf, reinterpret_cast<LPARAM>(&search));
    if (search.found) {
      Sleep(100);  // let the box finish its initialisation (caption, centring, focus)
      ReadBox(search.found, box);
      return true;
    }
    if (GetTickCount() - start >= timeoutMs) return false;
    Sleep(50);
  }
}

bool PressButton(const BoxInfo& box, const char* name) {
  for (HWND child = GetWindow(box.window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (lstrcmpiA(WithoutAmpersands(WindowText(child)).c_str(), name) != 0) continue;
    const int id = GetDlgCtrlID(child);
    // As a click does: the dialog receives WM_COMMAND with BN_CLICKED from the button.
    PostMessageA(box.window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(child));
    return true;
  }
  return false;
}

bool ClickControl(const BoxInfo& box, int controlId) {
  HWND control = GetDlgItem(box.window, controlId);
  if (!control) return false;
  SendMessageA(control, BM_CLICK, 0, 0);
  return true;
}

bool IsTicked(const BoxInfo& box, int controlId) {
  return IsDlgButtonChecked(box.window, controlId) == BST_CHECKED;
}

void CloseBox(const BoxInfo& box) { PostMessageA(box.window, WM_CLOSE, 0, 0); }

const char* IconName(BoxInfo::Icon icon) {
  static const char* const names[] = {"none", "information", "exclamation", "question", "stop", "other"};
  return names[icon];
}
