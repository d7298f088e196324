#pragma once
// Removal of the PEL client in all its branded editions.
#include <cstdint>
#include <string>

#include "engine/removal/remover.h"
#include "pel/brand_editions.h"
#include "pel/pel_locations.h"

// Removes the PEL client: discovery, shutdown of every skin, the eight editions, the Acrobat
// plug-in folders, the registry catalogue and the program, install and temporary images
// folders. The run's PEL option word chooses the optional steps (OPT_* bits).
void RemovePelClient(const Run& run);

// Removes one edition's Run values, uninstall entry, InstallShield folder, start-menu folder,
// data folders and desktop shortcuts.
void RemoveBrandEdition(const Remover& remove, const BrandEdition& edition, const PelLocations& locations,
                        int32_t optionWord);

// The per-user part of an edition's removal in another account (the remover's scope): its Run
// values and, unless the all-users pass already reached them, its data folders in the
// account's own application-data folder.
void RemoveBrandEditionForAccount(const Remover& remove, const BrandEdition& edition, int32_t optionWord);

// Cleans one data folder (ending in a backslash) as the content-store and preferences bits ask.
void CleanPelDataFolder(const Remover& remove, const std::wstring& folder, int32_t optionWord);

// Removes the client's plug-in folder of one Acrobat product and version.
void RemoveAcrobatPlugin(const Remover& remove, const char* product, const char* version);

// Shows what the removal found in a box captioned `title`; returns when it is closed.
void ShowPelInstallationReport(const PelLocations& locations, const char* title);
