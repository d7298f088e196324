#pragma once
// A removal with a backup: a live removal where each item is kept by the backup writer first;
// when that cannot be done the item stays and is reported as failed, whatever the removal's
// own reporting.
#include "engine/backup/backup_writer.h"
#include "engine/removal/live_policy.h"

class BackupPolicy : public LivePolicy {
 public:
  explicit BackupPolicy(RunContext& run) : LivePolicy(run), backup_(run) {}

  GateSays BeforeKeyTree(HKEY root, const std::wstring& subKey, HKEY key, Reporting reporting) override;
  GateSays BeforeValue(HKEY root, const std::wstring& subKey, HKEY key, const std::wstring& name,
                       ValueChange change, Reporting reporting) override;
  GateSays BeforeOperations(HKEY root, const std::wstring& subKey, HKEY key, const std::wstring& name,
                            const std::u16string& taken, ValueChange change) override;
  Outcome Delete(const OpenedEntry& entry) override;
  std::wstring Refusal() const override { return backup_.refusal(); }

 private:
  GateSays KeptOrHeld(bool kept, LogKind kind, HKEY root, const std::wstring& text);
  Outcome KeepFileOrName(const OpenedEntry& entry);

  BackupWriter backup_;
};
