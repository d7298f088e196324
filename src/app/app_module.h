#pragma once
#include <string>

#include "app/exit_codes.h"
#include "engine/core/run_settings.h"
#include "engine/core/cleanup_context.h"
#include "server/server_module.h"

// The one application object: COM server state, run settings, the program title and the
// cleanup context, each a part of its own. The program's one instance is constructed before
// WinMain (win_main.cpp: the title is built then, the server module handed its part) and
// destroyed after it returns, which closes the log; the run flow is handed it.
struct AppModule {
  AppModule();

  ServerState server;
  RunSettings settings;
  CleanupContext cleanup;

  // Fills `title` and `versionText` from the program's version resource, once; returns
  // versionText.
  std::string BuildTitle();

  // What the closing report ends with, as the removals left it: why the launcher was not
  // asked to unregister, why no backup could be made; each empty when there is nothing to say.
  std::string launcherNotStarted;
  std::string backupRefusal;

  std::string versionText;  // the file version text of the version resource
  std::string title;        // "Purgon " and the file version: caption of every box but usage
};


