#pragma once
// Registry helpers of the PEL removal.
#include <windows.h>

#include <string>

#include "engine/registry_scope.h"
#include "pel/pel_catalogue.h"

// The predefined key of a catalogue root.
HKEY PelRootKey(PelRoot root);

// Runs the PEL registry catalogue, every entry in its order; in another account's scope only
// the entries of the current user's roots.
void RemovePelCatalogue(const RegistryScope& scope = RegistryScope());
