#pragma once
// The three things a run may be, one policy each, and the one place that chooses among them.
#include <memory>

#include "engine/core/change_policy.h"
#include "engine/run/run_context.h"

enum class ChangeMode { Live, Preview, Backup };

// The policy of a run of `mode`; it reports and deletes through `run`.
std::unique_ptr<ChangePolicy> MakePolicy(ChangeMode mode, RunContext& run);

// Deletes the opened entry now, through its handle (or on Windows 9x by its path), with the
// run's file calls; the outcome is not reported. Every policy that changes ends here.
Outcome DeleteNow(RunContext& run, const OpenedEntry& entry);
