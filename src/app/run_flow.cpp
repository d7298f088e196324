#include "app/run_flow.h"

#include "app/command_line.h"
#include "app/texts.h"
#include "engine/backup/backup_restore.h"
#include "engine/removal/policies.h"
#include "engine/removal/remover.h"
#include "engine/text/wide_text.h"
#include "orv/launcher.h"
#include "orv/orv_catalogue.h"
#include "orv/orv_removal.h"
#include "pel/pel_catalogue.h"
#include "pel/pel_removal.h"

namespace {

int CompareKeyword(const char* token, const char* keyword) { return lstrcmpiA(token, keyword); }

// Every box has no owner window and, but for the usage box, the program title as caption.
int ShowBox(const AppModule& app, const char* text, UINT type) {
  return MessageBoxA(nullptr, text, app.title.c_str(), type);
}

// The notes that end the closing box: the log's name was refused, no backup could be made, the
// launcher was not started; empty otherwise.
std::string ClosingNotes(const AppModule& app) {
  return (app.cleanup.logRefused ? kLogRefusedNote : "") +
         (app.backupRefusal.empty() ? std::string() : BuildBackupRefusedNote(app.backupRefusal)) +
         (app.launcherNotStarted.empty() ? std::string() : BuildLauncherNotStartedNote(app.launcherNotStarted));
}

int PreviewExitCode(const AppModule& app) { return app.cleanup.found.empty() ? EXIT_CODE_DONE : EXIT_CODE_FOUND; }

// The one policy of a removal run.
ChangeMode ModeOf(const RunSettings& settings) {
  if (settings.preview) return ChangeMode::Preview;
  return settings.backup ? ChangeMode::Backup : ChangeMode::Live;
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
RestoreOutcome RefuseRestoreWord(AppModule& app, const std::string& word) {
  RestoreOutcome outcome;
  app.cleanup.ReportResult(LOG_RESTORE_DIR, Outcome::Failed(ERROR_INVALID_NAME), word);
  outcome.problem = BuildRefusedBackupWord(word);
  return outcome;
}

}  // namespace

bool ParseCommandLine(AppModule& app, const char* commandLine, int& exitCode) {
  switch (ParseCommandLineText(commandLine, app.settings, CompareKeyword)) {
    case ParseOutcome::Run: return true;
    case ParseOutcome::Usage: ShowUsage(); exitCode = EXIT_CODE_DONE; return false;
    case ParseOutcome::RegServer: exitCode = static_cast<int>(RegisterSelf()); return false;
    case ParseOutcome::UnregServer: exitCode = static_cast<int>(UnregisterSelf()); return false;
  }
  return true;
}

void ShowUsage() { MessageBoxA(nullptr, kUsageText, kUsageCaption, MB_OK); }

bool ConfirmRemoval(const AppModule& app) { return ShowBox(app, kConfirmText, MB_YESNO) == IDYES; }

void ShowOptionsSummary(const AppModule& app) { ShowBox(app, BuildOptionsSummary(app.settings).c_str(), MB_OK); }

void ShowFinalReport(const AppModule& app) {
  const std::string note = ClosingNotes(app);
  if (app.cleanup.failures.empty())
    ShowBox(app, BuildSuccessReport(note).c_str(), MB_OK | MB_ICONINFORMATION);
  else
    ShowBox(app, BuildFailureReport(app.cleanup.failures, note).c_str(), MB_OK | MB_ICONEXCLAMATION);
}

void ShowPreviewReport(const AppModule& app) {
  ShowBox(app, BuildPreviewReport(app.cleanup.found, ClosingNotes(app), app.settings.restore).c_str(),
          MB_OK | MB_ICONINFORMATION);
}

int RemovalExitCode(const AppModule& app) {
  if (app.settings.preview) return PreviewExitCode(app);
  if (app.settings.codes && !app.cleanup.failures.empty()) return EXIT_CODE_REBOOT_AND_RUN_AGAIN;
  return EXIT_CODE_DONE;
}

int DeclinedExitCode(const AppModule& app) {
  return app.settings.codes && !app.settings.preview ? EXIT_CODE_DECLINED : EXIT_CODE_DONE;
}

int RunRestore(AppModule& app) {
  const std::string& refused = app.settings.restoreRefused;
  RunContext run(app.cleanup);
  // A restore's preview looks through the same policy a removal's preview changes nothing by.
  run.Use(MakePolicy(app.settings.preview ? ChangeMode::Preview : ChangeMode::Live, run));
  const RestoreOutcome outcome = refused.empty() ? RestoreBackup(run, app.settings.restoreName, QueueOwners())
                                                 : RefuseRestoreWord(app, refused);
  const bool stayed = !app.cleanup.failures.empty() || !outcome.problem.empty();
  if (app.settings.preview && refused.empty()) {  // keeps a preview's box and codes
    if (!app.settings.silent) ShowPreviewReport(app);
    return PreviewExitCode(app);
  }
  if (!app.settings.silent) {
    ShowBox(app, BuildRestoreReport(outcome.folder, outcome.restored, app.cleanup.failures, outcome.problem).c_str(),
            MB_OK | (stayed ? MB_ICONEXCLAMATION : MB_ICONINFORMATION));
  }
  // A refused word ends even a preview with 1: there was no backup to look at.
  return (app.settings.codes || app.settings.preview) && stayed ? EXIT_CODE_STAYED : EXIT_CODE_DONE;
}

void RunRemovals(AppModule& app) {
  RunContext context(app.cleanup);
  context.Use(MakePolicy(ModeOf(app.settings), context));
  const Remover remove(context);
  const Run run{app.settings, app.title.c_str(), remove};
  // Read first: the PEL removal deletes the key the launcher's settings live in.
  const LauncherLocation launcher = app.settings.removeLauncher ? FindLauncher(remove) : LauncherLocation();
  if (app.settings.pelOptions != 0) RemovePelClient(run);
  if (app.settings.orvOptions != 0) RemoveOrvClient(run);
  if (app.settings.removeLauncher) app.launcherNotStarted = RemoveLauncher(run, launcher);
  app.backupRefusal = LogText(context.policy().Refusal());
}
