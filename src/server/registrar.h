#pragma once
// Runs registration scripts against the Windows registry.
#include <windows.h>

#include <string>
#include <vector>

#include "server/registrar_script.h"

// Parses the whole script first and touches the registry only when it is sound. Registering
// creates the keys and values it names; when a step fails, the keys this run created are
// deleted again and the failure is returned. Unregistering deletes the named values and the
// removable keys that have no sub-key left, goes on past failures and returns the first.
// A malformed script gives DISP_E_EXCEPTION and changes nothing.
HRESULT RunRegistrarScript(const std::string& script, const std::vector<RegistrarVariable>& variables,
                           bool registering);
