#include "app/run_flow.h"

#include "app/app_module.h"
#include "app/command_line.h"
#include "app/texts.h"
#include "orv/launcher.h"
#include "orv/orv_removal.h"
#include "pel/pel_removal.h"

namespace {

int CompareKeyword(const char* token, const char* keyword) { return lstrcmpiA(token, keyword); }

// Every box has no owner window and, but for the usage box, the program title as caption.
int ShowBox(const char* text, UINT type) {
  return MessageBoxA(nullptr, text, TheApp().title.c_str(), type);
}

}  // namespace

bool ParseCommandLine(const char* commandLine, int& exitCode) {
  switch (ParseCommandLineText(commandLine, TheApp(), CompareKeyword)) {
    case ParseOutcome::Run: return true;
    case ParseOutcome::Usage: ShowUsage(); exitCode = EXIT_CODE_DONE; return false;
    case ParseOutcome::RegServer: exitCode = static_cast<int>(RegisterSelf()); return false;
    case ParseOutcome::UnregServer: exitCode = static_cast<int>(UnregisterSelf()); return false;
  }
  return true;
}

void ShowUsage() { MessageBoxA(nullptr, kUsageText, kUsageCaption, MB_OK); }

bool ConfirmRemoval() { return ShowBox(kConfirmText, MB_YESNO) == IDYES; }

void ShowOptionsSummary() { ShowBox(BuildOptionsSummary(TheApp()).c_str(), MB_OK); }

void ShowFinalReport() {
  const AppModule& app = TheApp();
  const std::string note = app.logRefused ? kLogRefusedNote : "";
  if (app.failures.empty())
    ShowBox(BuildSuccessReport(note).c_str(), MB_OK | MB_ICONINFORMATION);
  else
    ShowBox(BuildFailureReport(app.failures, note).c_str(), MB_OK | MB_ICONEXCLAMATION);
}

void RunRemovals() {
  const AppModule& app = TheApp();
  if (app.pelOptions != 0) RemovePelClient(app.pelOptions);
  if (app.orvOptions != 0) RemoveOrvClient(app.orvOptions);
  if (app.removeLauncher) RemoveLauncher();
}
