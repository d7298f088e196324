#pragma once
// The names the test data give the PEL identifier slots ("C4", "P1", "IID"): the machine and
// expected-log files write {C4} where the identifier of slot PEL_C4 belongs.
#include "pel/pel_ids.h"

inline const char* PelIdLabel(PelIdSlot slot) {
  static const char* const kLabels[] = {
    "C1", "C2", "C3", "C4", "C5", "C6", "C7", "C8", "C9", "C10", "C11", "C12", "C13", "C14",
    "C15", "A1", "A2", "I1", "I2", "I3", "I4", "I5", "I6", "I7", "I8", "I9", "T1", "T2", "T3",
    "T4", "T5", "T6", "T7", "T8", "U1", "P1", "P2", "P3", "P4", "P5", "P6", "P7", "P8", "IID",
  };
  static_assert(sizeof(kLabels) / sizeof(kLabels[0]) == PEL_ID_SLOT_COUNT, "one label per slot");
  return slot >= 0 && slot < PEL_ID_SLOT_COUNT ? kLabels[slot] : "";
}
