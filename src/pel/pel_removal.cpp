#include "pel/pel_removal.h"

void RemovePelClient(int32_t) {}
