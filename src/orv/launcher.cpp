#include "orv/launcher.h"

void RemoveLauncher() {}
