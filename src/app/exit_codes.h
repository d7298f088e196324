#pragma once

// Process exit codes other than the HRESULTs of "regserver" and "unregserver".
enum ExitCodes : int { EXIT_CODE_DONE = 0 };
