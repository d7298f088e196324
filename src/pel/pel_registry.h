#pragma once
// Registry helpers of the PEL removal.
#include <windows.h>

#include <string>

#include "pel/pel_catalogue.h"

// The predefined key of a catalogue root.
HKEY PelRootKey(PelRoot root);

// A REG_SZ or REG_EXPAND_SZ value, as stored, that fits `bufferSize` bytes with its
// terminating zero; the empty string when it is missing, of another type, too long or not
// terminated.
std::string ReadStringValue(HKEY key, const char* valueName, DWORD bufferSize);

// Runs the PEL registry catalogue, every entry in its order.
void RemovePelCatalogue();
