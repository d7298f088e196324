#pragma once

// Process exit codes other than the HRESULTs of "regserver" and "unregserver".
enum ExitCodes : int {
  EXIT_CODE_DONE = 0,
  // A preview that found something of the clients (nothing found: EXIT_CODE_DONE); with
  // "restore" and "codes", something stayed in the backup.
  EXIT_CODE_FOUND = 1,
  EXIT_CODE_STAYED = 1,
  // With "codes": something could not be deleted; a reboot may free it.
  EXIT_CODE_REBOOT_AND_RUN_AGAIN = 3010,
  // With "codes": the confirmation was declined or the dialog cancelled.
  EXIT_CODE_DECLINED = 1602,
};
