#pragma once
#include <string>

#include "app/exit_codes.h"
#include "engine/core/run_settings.h"
#include "engine/core/cleanup_context.h"
#include "server/server_module.h"

// The one application object: COM server state, run settings, the program title and the
// cleanup context, each a part of its own. Constructed before WinMain (the title is built
// then; the server module and the primitives are handed their parts) and destroyed after it
// returns, which closes the log.
struct AppModule {
  AppModule();

  ServerState server;
  RunSettings settings;
  CleanupContext cleanup;

  // The run as the removals are handed it.
  Run AsRun() const { return Run{settings, title.c_str()}; }

  // Fills `title` and `versionText` from the program's version resource, once; returns
  // versionText.
  std::string BuildTitle();

  // Why the launcher was not asked to unregister, for the closing report; empty when it was.
  std::string launcherNotStarted;

  std::string versionText;  // the file version text of the version resource
  std::string title;        // "Purgon " and the file version: caption of every box but usage
};

AppModule& TheApp();

inline std::string BuildTitle() { return TheApp().BuildTitle(); }
