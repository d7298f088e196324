#pragma once
// A preview: nothing changes. Each item is reported as found, as the removal would log it, and
// counted as gone for the later steps, so that the preview's log and the log of the removal
// that follows list the same items.
#include "engine/core/change_policy.h"
#include "engine/run/gone_items.h"
#include "engine/run/run_context.h"

class PreviewPolicy : public ChangePolicy {
 public:
  explicit PreviewPolicy(RunContext& run) : run_(run) {}

  bool ChangesNothing() const override { return true; }
  bool IsKeyGone(HKEY root, const std::wstring& subKey) const override;
  bool IsPathGone(const std::wstring& path) const override;
  GateSays BeforeKeyTree(HKEY root, const std::wstring& subKey, HKEY key, Reporting reporting) override;
  GateSays BeforeValue(HKEY root, const std::wstring& subKey, HKEY key, const std::wstring& name,
                       ValueChange change, Reporting reporting) override;
  GateSays BeforeOperations(HKEY root, const std::wstring& subKey, HKEY key, const std::wstring& name,
                            const std::u16string& taken, ValueChange change) override;
  Outcome Delete(const OpenedEntry& entry) override;
  void ReportDone(LogKind kind, const std::string& text) override;

 private:
  GateSays Found(LogKind kind, HKEY root, const std::string& text, Reporting reporting);

  RunContext& run_;
  GoneItems gone_;
};
