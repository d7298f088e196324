#pragma once
// The one deletion every policy that changes ends in.
#include "engine/core/change_policy.h"
#include "engine/run/run_context.h"

// Deletes the opened entry now, through its handle (or on Windows 9x by its path), with the
// run's file calls; the outcome is not reported.
Outcome DeleteNow(RunContext& run, const OpenedEntry& entry);
