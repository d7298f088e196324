#pragma once
// The names of backup folders: the UTC time the backup was made, "YYYYMMDD-HHMMSS", and
// "YYYYMMDD-HHMMSS.2", ".3", ... for further backups made in the same second. Sorting by
// name is sorting by time, so the newest backup is found by its name alone, whatever order a
// listing gives. Anything else in the backups folder, a restored backup ("....restored")
// included, is not a backup.
#include <cstddef>
#include <string>
#include <vector>

struct BackupTime {
  int year = 0;  // 1601 to 9999, as Windows gives it
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

struct BackupName {
  std::string stamp;    // "YYYYMMDD-HHMMSS"
  unsigned number = 1;  // 1 for the bare stamp, else the number after the dot (2 or more)
};

// What a backup's name ends in once it has been restored.
extern const char kRestoredSuffix[];  // ".restored"

// The highest number a backup name may carry.
const unsigned kMaxBackupNumber = 999999999;
// The longest backup name: "YYYYMMDD-HHMMSS.999999999".
const size_t kMaxBackupNameLength = 25;

// The name of the `number`th backup made in the second `time` (1: the bare stamp). Empty for
// a time that is no date of the calendar or a number outside 1 to kMaxBackupNumber.
std::string BackupNameFor(const BackupTime& time, unsigned number);

// Reads a backup folder's name. False for anything not written by BackupNameFor: other
// characters, separators, a date that does not exist, ".1", a leading zero in the number.
bool ParseBackupName(const std::string& name, BackupName& parsed);

// The newest backup among `names` (a folder listing, in any order): the latest time, and of
// those the highest number. Empty when none of them is a backup.
std::string NewestBackupName(const std::vector<std::string>& names);
