#include "engine/removal/live_policy.h"

#include "engine/files/file_calls.h"
#include "engine/run/delete_now.h"
#include "engine/text/wide_text.h"

Outcome LivePolicy::Delete(const OpenedEntry& entry) {
  const Outcome outcome = DeleteNow(run_, entry);
  run_.report.ReportResult(entry.kind, outcome, LogText(entry.path));
  return outcome;
}

void LivePolicy::ReportDone(LogKind kind, const std::string& text) {
  run_.report.ReportResult(kind, Outcome::Done(), text);
}
