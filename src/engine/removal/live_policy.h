#pragma once
// A plain removal: every change goes through as asked.
#include "engine/core/change_policy.h"
#include "engine/run/run_context.h"

class LivePolicy : public ChangePolicy {
 public:
  explicit LivePolicy(RunContext& run) : run_(run) {}

  bool ChangesNothing() const override { return false; }
  bool IsKeyGone(HKEY, const std::wstring&) const override { return false; }
  bool IsPathGone(const std::wstring&) const override { return false; }
  GateSays BeforeKeyTree(HKEY, const std::wstring&, HKEY, Reporting) override { return GateSays::Go; }
  GateSays BeforeValue(HKEY, const std::wstring&, HKEY, const std::wstring&, ValueChange, Reporting) override {
    return GateSays::Go;
  }
  GateSays BeforeOperations(HKEY, const std::wstring&, HKEY, const std::wstring&, const std::u16string&,
                            ValueChange) override {
    return GateSays::Go;
  }
  Outcome Delete(const OpenedEntry& entry) override;
  void ReportDone(LogKind kind, const std::string& text) override;

 protected:
  RunContext& run_;
};
