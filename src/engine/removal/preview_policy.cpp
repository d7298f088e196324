#include "engine/removal/preview_policy.h"

#include "engine/files/file_calls.h"
#include "engine/text/wide_text.h"

bool PreviewPolicy::IsKeyGone(HKEY root, const std::wstring& subKey) const {
  const char* rootName = RootKeyName(root);
  return rootName && gone_.IsKeyGone(rootName, Utf8Of(subKey));
}

bool PreviewPolicy::IsPathGone(const std::wstring& path) const { return gone_.IsPathGone(Utf8Of(path)); }

GateSays PreviewPolicy::Found(LogKind kind, HKEY root, const std::string& text, Reporting reporting) {
  if (reporting == Reporting::Reported) run_.report.ReportRegFound(kind, root, text);
  return GateSays::Held;
}

GateSays PreviewPolicy::BeforeKeyTree(HKEY root, const std::wstring& subKey, HKEY, Reporting reporting) {
  const char* rootName = RootKeyName(root);
  if (!rootName) return GateSays::Held;  // only the roots' own keys are counted
  if (IsKeyGone(root, subKey)) return GateSays::Gone;
  gone_.MarkKey(rootName, Utf8Of(subKey));
  return Found(LOG_REG_KEY, root, LogText(subKey), reporting);
}

GateSays PreviewPolicy::BeforeValue(HKEY root, const std::wstring& subKey, HKEY, const std::wstring& name,
                                    ValueChange change, Reporting reporting) {
  const char* rootName = RootKeyName(root);
  if (!rootName) return GateSays::Held;
  if (gone_.IsValueGone(rootName, Utf8Of(subKey), Utf8Of(name))) return GateSays::Gone;
  if (change == ValueChange::Delete) gone_.MarkValue(rootName, Utf8Of(subKey), Utf8Of(name));
  return Found(LOG_REG_VALUE, root, LogText(subKey + L" - " + name), reporting);
}

GateSays PreviewPolicy::BeforeOperations(HKEY root, const std::wstring& subKey, HKEY key, const std::wstring& name,
                                         const std::u16string&, ValueChange change) {
  return BeforeValue(root, subKey, key, name, change, Reporting::Reported);
}

Outcome PreviewPolicy::Delete(const OpenedEntry& entry) {
  if (IsPathGone(entry.path)) return Outcome::Done();
  gone_.MarkPath(Utf8Of(entry.path));
  run_.report.ReportFound(entry.kind, LogText(entry.path));
  return Outcome::Done();
}

void PreviewPolicy::ReportDone(LogKind kind, const std::string& text) { run_.report.ReportFound(kind, text); }
