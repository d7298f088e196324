#pragma once
// The ORV client's registry and COM catalogue: one constant table of what the removal deletes,
// walked in order (engine/catalogue_runner.h). Each key that existed yields one log line,
// each value removed or rewritten one more; another account's scope takes only the rows of
// the current user's roots.
#include "engine/catalogue/catalogue.h"

extern const Catalogue kOrvCatalogue;
