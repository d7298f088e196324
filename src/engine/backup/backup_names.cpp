#include "engine/backup/backup_names.h"

const char kRestoredSuffix[] = ".restored";

#include <cstdio>

namespace {

const size_t kStampLength = 15;  // "YYYYMMDD-HHMMSS"
const size_t kMaxNumberDigits = 9;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool IsCalendarTime(const BackupTime& t) {
  return t.year >= 1601 && t.year <= 9999 && t.month >= 1 && t.month <= 12 && t.day >= 1 &&
         t.day <= DaysInMonth(t.year, t.month) && t.hour >= 0 && t.hour <= 23 &&
         t.minute >= 0 && t.minute <= 59 && t.second >= 0 && t.second <= 59;
}

// The value of `count` digits at `text`; the caller has checked they are digits.
int DigitsValue(const char* text, size_t count) {
  int value = 0;
  for (size_t i = 0; i < count; ++i) value = value * 10 + (text[i] - '0');
  return value;
}

bool ParseStamp(const std::string& name, BackupTime& time) {
  if (name.size() < kStampLength || name[8] != '-') return false;
  for (size_t i = 0; i < kStampLength; ++i)
    if (i != 8 && !IsDigit(name[i])) return false;
  const char* s = name.data();
  time.year = DigitsValue(s, 4);
  time.month = DigitsValue(s + 4, 2);
  time.day = DigitsValue(s + 6, 2);
  time.hour = DigitsValue(s + 9, 2);
  time.minute = DigitsValue(s + 11, 2);
  time.second = DigitsValue(s + 13, 2);
  return IsCalendarTime(time);
}

// ".N" after the stamp: digits only, no leading zero, 2 or more (the first backup of a
// second has no number, so ".1" would be a second spelling of it).
bool ParseNumber(const std::string& suffix, unsigned& number) {
  if (suffix.empty()) {
    number = 1;
    return true;
  }
  const size_t digits = suffix.size() - 1;
  if (suffix[0] != '.' || digits == 0 || digits > kMaxNumberDigits || suffix[1] == '0')
    return false;
  unsigned value = 0;
  for (size_t i = 1; i < suffix.size(); ++i) {
    if (!IsDigit(suffix[i])) return false;
    value = value * 10u + static_cast<unsigned>(suffix[i] - '0');
  }
  if (value < 2 || value > kMaxBackupNumber) return false;
  number = value;
  return true;
}

bool IsNewer(const BackupName& a, const BackupName& b) {
  return a.stamp != b.stamp ? a.stamp > b.stamp : a.number > b.number;
}

}  // namespace

std::string BackupNameFor(const BackupTime& time, unsigned number) {
  if (!IsCalendarTime(time) || number < 1 || number > kMaxBackupNumber) return std::string();
  char stamp[kStampLength + 1];
  std::snprintf(stamp, sizeof(stamp), "%04d%02d%02d-%02d%02d%02d", time.year, time.month,
                time.day, time.hour, time.minute, time.second);
  std::string name = stamp;
  if (number > 1) name += "." + std::to_string(number);
  return name;
}

bool ParseBackupName(const std::string& name, BackupName& parsed) {
  BackupTime time;
  unsigned number = 0;
  if (!ParseStamp(name, time) || !ParseNumber(name.substr(kStampLength), number)) return false;
  parsed.stamp = name.substr(0, kStampLength);
  parsed.number = number;
  return true;
}

std::string NewestBackupName(const std::vector<std::string>& names) {
  std::string newest;
  BackupName best;
  for (const std::string& name : names) {
    BackupName parsed;
    if (!ParseBackupName(name, parsed) || (!newest.empty() && !IsNewer(parsed, best))) continue;
    newest = name;
    best = parsed;
  }
  return newest;
}
