#pragma once
// The account this process runs as, and the rights it runs with. On Windows 9x there is one
// account and no token: nothing here is asked there.
#include <string>

#include "engine/core/sids.h"

// The SID of the running account; empty when it cannot be read.
SidBytes RunningAccountSid();

// Its "S-1-5-21-..." text; empty when it cannot be read.
std::wstring RunningAccountSidText();

// The run is elevated: its token is elevated, it is the system account, or (before Windows
// Vista, or with UAC off) the administrators group is enabled in it.
bool IsElevatedRun();
