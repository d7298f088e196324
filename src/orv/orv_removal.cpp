#include "orv/orv_removal.h"

void RemoveOrvClient(int32_t) {}
