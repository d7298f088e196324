#include "app/run_flow.h"

#include "app/app_module.h"
#include "app/command_line.h"
#include "app/texts.h"
#include "engine/backup/backup_restore.h"
#include "engine/removal/change_gate.h"
#include "engine/text/wide_text.h"
#include "orv/launcher.h"
#include "orv/orv_catalogue.h"
#include "orv/orv_removal.h"
#include "pel/pel_catalogue.h"
#include "pel/pel_removal.h"

namespace {

int CompareKeyword(const char* token, const char* keyword) { return lstrcmpiA(token, keyword); }

// Every box has no owner window and, but for the usage box, the program title as caption.
int ShowBox(const char* text, UINT type) {
  return MessageBoxA(nullptr, text, TheApp().title.c_str(), type);
}

// The notes that end the closing box: the log's name was refused, no backup could be made, the
// launcher was not started; empty otherwise.
std::string ClosingNotes() {
  const std::string backup = LogText(TheChangeGate().backupRefusal());
  const std::string& launcher = TheApp().launcherNotStarted;
  return (TheApp().cleanup.logRefused ? kLogRefusedNote : "") +
         (backup.empty() ? std::string() : BuildBackupRefusedNote(backup)) +
         (launcher.empty() ? std::string() : BuildLauncherNotStartedNote(launcher));
}

int PreviewExitCode() { return TheApp().cleanup.found.empty() ? EXIT_CODE_DONE : EXIT_CODE_FOUND; }

}  // namespace

bool ParseCommandLine(const char* commandLine, int& exitCode) {
  switch (ParseCommandLineText(commandLine, TheApp().settings, CompareKeyword)) {
    case ParseOutcome::Run: return true;
    case ParseOutcome::Usage: ShowUsage(); exitCode = EXIT_CODE_DONE; return false;
    case ParseOutcome::RegServer: exitCode = static_cast<int>(RegisterSelf()); return false;
    case ParseOutcome::UnregServer: exitCode = static_cast<int>(UnregisterSelf()); return false;
  }
  return true;
}

void ShowUsage() { MessageBoxA(nullptr, kUsageText, kUsageCaption, MB_OK); }

bool ConfirmRemoval() { return ShowBox(kConfirmText, MB_YESNO) == IDYES; }

void ShowOptionsSummary() { ShowBox(BuildOptionsSummary(TheApp().settings).c_str(), MB_OK); }

void ShowFinalReport() {
  const AppModule& app = TheApp();
  const std::string note = ClosingNotes();
  if (app.cleanup.failures.empty())
    ShowBox(BuildSuccessReport(note).c_str(), MB_OK | MB_ICONINFORMATION);
  else
    ShowBox(BuildFailureReport(app.cleanup.failures, note).c_str(), MB_OK | MB_ICONEXCLAMATION);
}

void ShowPreviewReport() {
  const AppModule& app = TheApp();
  ShowBox(BuildPreviewReport(app.cleanup.found, ClosingNotes(), app.settings.restore).c_str(),
          MB_OK | MB_ICONINFORMATION);
}

int RemovalExitCode() {
  const AppModule& app = TheApp();
  if (app.settings.preview) return PreviewExitCode();
  if (app.settings.codes && !app.cleanup.failures.empty()) return EXIT_CODE_REBOOT_AND_RUN_AGAIN;
  return EXIT_CODE_DONE;
}

int DeclinedExitCode() {
  const AppModule& app = TheApp();
  return app.settings.codes && !app.settings.preview ? EXIT_CODE_DECLINED : EXIT_CODE_DONE;
}

// What marks each client's own operations in the queue of file operations: the only ones a
// restore queues again.
std::vector<std::string> QueueOwners() {
  std::vector<std::string> owners;
  for (const Catalogue* catalogue : {&kPelCatalogue, &kOrvCatalogue})
    if (catalogue->queueOwner) owners.push_back(catalogue->queueOwner);
  return owners;
}

// A word after "/restore" that names no backup: nothing is restored, and the log's failed
// line and the report name the word.
RestoreOutcome RefuseRestoreWord(const std::string& word) {
  RestoreOutcome outcome;
  TheApp().cleanup.ReportResult(LOG_RESTORE_DIR, Outcome::Failed(ERROR_INVALID_NAME), word);
  outcome.problem = BuildRefusedBackupWord(word);
  return outcome;
}

int RunRestore() {
  AppModule& app = TheApp();
  const std::string& refused = app.settings.restoreRefused;
  const RestoreOutcome outcome =
      refused.empty() ? RestoreBackup(app.settings.restoreName, app.settings.preview, QueueOwners())
                      : RefuseRestoreWord(refused);
  const bool stayed = !app.cleanup.failures.empty() || !outcome.problem.empty();
  if (app.settings.preview && refused.empty()) {  // keeps a preview's box and codes
    if (!app.settings.silent) ShowPreviewReport();
    return PreviewExitCode();
  }
  if (!app.settings.silent) {
    ShowBox(BuildRestoreReport(outcome.folder, outcome.restored, app.cleanup.failures, outcome.problem).c_str(),
            MB_OK | (stayed ? MB_ICONEXCLAMATION : MB_ICONINFORMATION));
  }
  // A refused word ends even a preview with 1: there was no backup to look at.
  return (app.settings.codes || app.settings.preview) && stayed ? EXIT_CODE_STAYED : EXIT_CODE_DONE;
}

void RunRemovals() {
  const AppModule& app = TheApp();
  TheChangeGate().Begin(app.settings.preview  ? ChangeMode::Preview
                        : app.settings.backup ? ChangeMode::Backup
                                              : ChangeMode::Live);
  // Read first: the PEL removal deletes the key the launcher's settings live in.
  const Run run = app.AsRun();
  const LauncherLocation launcher = app.settings.removeLauncher ? FindLauncher() : LauncherLocation();
  if (app.settings.pelOptions != 0) RemovePelClient(run);
  if (app.settings.orvOptions != 0) RemoveOrvClient(run);
  if (app.settings.removeLauncher) TheApp().launcherNotStarted = RemoveLauncher(run, launcher);
}
