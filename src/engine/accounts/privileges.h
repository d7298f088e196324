#pragma once
// The privileges an administrator's token holds but does not enable by itself.
#include <windows.h>

#include "engine/core/handles.h"

// The backup and restore privileges: enabled while the object lives (only once asked for) and
// put back as they were afterwards. They let the program load another account's registry
// file, and give a copied file another account as its owner.
class BackupPrivileges {
 public:
  BackupPrivileges() = default;
  BackupPrivileges(const BackupPrivileges&) = delete;
  BackupPrivileges& operator=(const BackupPrivileges&) = delete;
  ~BackupPrivileges();
  void Enable();

 private:
  // TOKEN_PRIVILEGES with room for two entries.
  struct Privileges {
    TOKEN_PRIVILEGES header;
    LUID_AND_ATTRIBUTES second;
  };
  KernelHandle token_;
  Privileges previous_ = {};
  bool asked_ = false;
  bool changed_ = false;
};
