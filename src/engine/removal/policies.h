#pragma once
// The three things a run may be, one policy each, and the one place that chooses among them.
#include <memory>

#include "engine/core/change_policy.h"
#include "engine/run/run_context.h"

enum class ChangeMode { Live, Preview, Backup };

// The policy of a run of `mode`; it reports and deletes through `run`.
std::unique_ptr<ChangePolicy> MakePolicy(ChangeMode mode, RunContext& run);
