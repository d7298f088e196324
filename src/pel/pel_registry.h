#pragma once
// Registry helpers of the PEL removal.
#include <windows.h>

#include <string>

#include "pel/pel_catalogue.h"

// The predefined key of a catalogue root.
HKEY PelRootKey(PelRoot root);

// Runs the PEL registry catalogue, every entry in its order.
void RemovePelCatalogue();
