#pragma once
// The entries one ORV configuration leaves: uninstall and optional-component entries, desktop
// shortcuts, its start-up value and its key.
#include <windows.h>

#include <cstdint>
#include <string>

#include "engine/removal/remover.h"

// Removes the entries of configuration `name`; the desktop shortcuts only with
// OPT_DESKTOP_SHORTCUTS. Only the shortcut files are reported. In another account's scope the
// entries are those of its registry and its desktop.
void RemoveOrvConfiguration(const Remover& remove, const std::wstring& name, int32_t optionWord);
