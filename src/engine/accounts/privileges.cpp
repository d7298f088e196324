#include "engine/accounts/privileges.h"

BackupPrivileges::~BackupPrivileges() {
  if (changed_) AdjustTokenPrivileges(token_.get(), FALSE, &previous_.header, 0, nullptr, nullptr);
}

void BackupPrivileges::Enable() {
  if (asked_) return;
  asked_ = true;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token_.Receive()))
    return;
  Privileges wanted = {};
  wanted.header.PrivilegeCount = 2;
  if (!LookupPrivilegeValueA(nullptr, SE_BACKUP_NAME, &wanted.header.Privileges[0].Luid) ||
      !LookupPrivilegeValueA(nullptr, SE_RESTORE_NAME, &wanted.second.Luid))
    return;
  wanted.header.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  wanted.second.Attributes = SE_PRIVILEGE_ENABLED;
  DWORD size = 0;
  changed_ = AdjustTokenPrivileges(token_.get(), FALSE, &wanted.header, sizeof(previous_),
                                   &previous_.header, &size) != FALSE;
}
