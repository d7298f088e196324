#pragma once

// Runs the options dialog; on OK it has set the option words and the log and verbose flags.
// True when either option word is non-zero afterwards.
bool ShowOptionsDialog();
