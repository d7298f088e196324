#pragma once
// A removal with a backup: each item is kept by the backup writer first; when that cannot be
// done the item stays and is reported as failed, whatever the removal's own reporting.
#include "engine/backup/backup_writer.h"
#include "engine/core/change_policy.h"
#include "engine/run/run_context.h"

class BackupPolicy : public ChangePolicy {
 public:
  explicit BackupPolicy(RunContext& run) : run_(run), backup_(run) {}

  bool ChangesNothing() const override { return false; }
  bool IsKeyGone(HKEY, const std::wstring&) const override { return false; }
  bool IsPathGone(const std::wstring&) const override { return false; }
  GateSays BeforeKeyTree(HKEY root, const std::wstring& subKey, HKEY key, Reporting reporting) override;
  GateSays BeforeValue(HKEY root, const std::wstring& subKey, HKEY key, const std::wstring& name,
                       ValueChange change, Reporting reporting) override;
  GateSays BeforeOperations(HKEY root, const std::wstring& subKey, HKEY key, const std::wstring& name,
                            const std::u16string& taken, ValueChange change) override;
  Outcome Delete(const OpenedEntry& entry) override;
  void ReportDone(LogKind kind, const std::string& text) override;
  std::wstring Refusal() const override { return backup_.refusal(); }

 private:
  GateSays KeptOrHeld(bool kept, LogKind kind, HKEY root, const std::wstring& text);
  Outcome KeepFileOrName(const OpenedEntry& entry);

  RunContext& run_;
  BackupWriter backup_;
};
