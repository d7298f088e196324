#pragma once
// Removal of the PEL client in all its branded editions.
#include <cstdint>
#include <string>

#include "engine/accounts/account_scope.h"
#include "engine/core/run_settings.h"
#include "pel/brand_editions.h"
#include "pel/pel_locations.h"

// Removes the PEL client: discovery, shutdown of every skin, the eight editions, the Acrobat
// plug-in folders, the registry catalogue and the program, install and temporary images
// folders. The run's PEL option word chooses the optional steps (OPT_* bits).
void RemovePelClient(const Run& run);

// Removes one edition's Run values, uninstall entry, InstallShield folder, start-menu folder,
// data folders and desktop shortcuts.
void RemoveBrandEdition(const BrandEdition& edition, const PelLocations& locations,
                        int32_t optionWord);

// The per-user part of an edition's removal in another account: its Run values and, unless
// the all-users pass already reached them, its data folders in the account's own
// application-data folder.
void RemoveBrandEditionForAccount(const BrandEdition& edition, const AccountScope& scope,
                                  int32_t optionWord);

// Cleans one data folder (ending in a backslash) as the content-store and preferences bits ask.
void CleanPelDataFolder(const std::wstring& folder, int32_t optionWord);

// Removes the client's plug-in folder of one Acrobat product and version.
void RemoveAcrobatPlugin(const char* product, const char* version);

// Shows what the removal found in a box captioned `title`; returns when it is closed.
void ShowPelInstallationReport(const PelLocations& locations, const char* title);
