// The program's entry point: the run flow from start-up to the exit code.
#include <windows.h>
#include <objbase.h>

#include "app/app_module.h"
#include "app/dll_search.h"
#include "app/run_flow.h"
#include "engine/core/log_file.h"
#include "server/server_module.h"
#include "ui/options_dialog.h"

namespace {

const char kLogFileName[] = "purgon.log";

bool RemovalAsked(const AppModule& app) {
  return app.settings.pelOptions != 0 || app.settings.orvOptions != 0 || app.settings.removeLauncher;
}

// Without it the run goes on unlogged; a refused name is told in the closing box.
void OpenLogIfAsked(AppModule& app) {
  if (app.settings.logEnabled) OpenLogWithoutLinks(app.cleanup, kLogFileName);
}

// Everything after the confirmation: log, server start, removals or automation, report.
void RunConfirmed(AppModule& app, int& exitCode) {
  OpenLogIfAsked(app);
  StartIdleMonitor();
  RegisterClassTable(CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE);
  if (app.settings.automation) {
    RunMessageLoop();
  } else {
    if (app.settings.verbose) ShowOptionsSummary(app);
    RunRemovals(app);
    if (!app.settings.silent) app.settings.preview ? ShowPreviewReport(app) : ShowFinalReport(app);
    exitCode = RemovalExitCode(app);
  }
  RevokeClassTable();
  Sleep(1000);
}

// The program's one application object, made before WinMain runs.
AppModule theApp;

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  RestrictDllSearch();  // before anything loads a DLL on demand (COM, the shell)
  AppModule& app = theApp;
  int exitCode = EXIT_CODE_DONE;
  const char* commandLine = GetCommandLineA();
  CoInitialize(nullptr);
  InitModule(kClassTable, instance, &LIBID_PURGONLib);
  app.server.mainThreadId = GetCurrentThreadId();
  if (!ParseCommandLine(app, commandLine, exitCode)) {
    // "?", "regserver" or "unregserver" ended the run
  } else if (app.settings.restore) {
    // Undoing a removal asks nothing: a restore never overwrites what is there.
    OpenLogIfAsked(app);
    if (app.settings.verbose) ShowOptionsSummary(app);
    exitCode = RunRestore(app);
  } else if (!(RemovalAsked(app) || ShowOptionsDialog(app.settings, app.title.c_str()))) {
    exitCode = DeclinedExitCode(app);
  } else if (app.settings.silent || app.settings.preview || ConfirmRemoval(app)) {
    // A preview changes nothing, so it is not confirmed.
    RunConfirmed(app, exitCode);
  } else {
    exitCode = DeclinedExitCode(app);
  }
  TermModule();
  CoUninitialize();
  return exitCode;
}
