#include "ui/options_dialog.h"

#include "app/app_module.h"

bool ShowOptionsDialog() {
  const AppModule& app = TheApp();
  return app.pelOptions != 0 || app.orvOptions != 0;
}
