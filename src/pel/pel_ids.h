#pragma once
// Every identifier of the PEL client the program names: the COM classes, applications,
// interfaces and type libraries of its registry catalogue, its own product code, the product
// codes of its eight editions and the interface of its control object. Each is a 38-character
// braced GUID string.

enum PelIdSlot {
  PEL_C1, PEL_C2, PEL_C3, PEL_C4, PEL_C5, PEL_C6, PEL_C7, PEL_C8,  // classes
  PEL_C9, PEL_C10, PEL_C11, PEL_C12, PEL_C13, PEL_C14, PEL_C15,
  PEL_A1, PEL_A2,                                                  // COM applications
  PEL_I1, PEL_I2, PEL_I3, PEL_I4, PEL_I5, PEL_I6, PEL_I7, PEL_I8, PEL_I9,  // interfaces
  PEL_T1, PEL_T2, PEL_T3, PEL_T4, PEL_T5, PEL_T6, PEL_T7, PEL_T8,  // type libraries
  PEL_U1,                                                          // the client's own product
  PEL_P1, PEL_P2, PEL_P3, PEL_P4, PEL_P5, PEL_P6, PEL_P7, PEL_P8,  // the editions' products
  PEL_CONTROL_IID,  // the interface of the control object (class C4) that shuts skins down
  PEL_ID_SLOT_COUNT,
};

// The identifier in a slot; the empty string for any other number.
const char* PelId(PelIdSlot slot);

// The class of the control object the shutdown creates.
const PelIdSlot PEL_CONTROL_CLASS = PEL_C4;
