// The registry primitives of the remover (remover.h).
#include <vector>

#include "engine/core/cleanup_context.h"
#include "engine/core/handles.h"
#include "engine/registry/registry.h"
#include "engine/registry/rename_queue.h"
#include "engine/removal/remover.h"
#include "engine/text/case_folding.h"
#include "engine/text/wide_text.h"

namespace {

const LONG kNothingToChange = ERROR_NO_MATCH;  // a matching value that needs no change
// Value names the removals look at: at most 1023 characters, as they always have been.
const size_t kLongestValueName = 1023;

// Reports the key's deletion with its outcome and hands the error code on.
LONG ReportKey(CleanupContext& report, HKEY root, const std::wstring& subKey, LONG error) {
  report.ReportRegKey(root, LogText(subKey), error == ERROR_SUCCESS ? Outcome::Done() : Outcome::Failed(error));
  return error;
}

// The error a removal returns for what the policy held back; the policy has reported it.
LONG HeldError(GateSays says) { return says == GateSays::Gone ? ERROR_FILE_NOT_FOUND : ERROR_CANCELLED; }

// True for a path of whole names: not empty, no leading or trailing backslash, no empty
// name between two backslashes. Windows opens the parent for "Parent\\" and the root itself
// for "", so a path built from an empty name would take the whole parent.
bool IsWholeKeyPath(const std::wstring& subKey) {
  if (subKey.empty() || subKey[0] == L'\\' || subKey.back() == L'\\') return false;
  return subKey.find(L"\\\\") == std::wstring::npos;
}

// Removes the key the caller named and everything below it, and reports it unless quiet. The
// key passes the policy first. A reported removal steps over the nested keys that stay, a
// quiet one stops at the first.
LONG DeleteNamedKeyTree(RunContext& run, HKEY root, const std::wstring& subKey, Reporting reporting) {
  {
    RegKey key;
    const LONG opened = OpenKey(root, subKey, kKeyReadWrite, key);
    if (opened != ERROR_SUCCESS) return opened;
    const GateSays says = run.policy().BeforeKeyTree(root, subKey, key.get(), reporting);
    if (says != GateSays::Go) return HeldError(says);
    // A reported removal reports the named key's failure; a quiet one ends with the first.
    const SubKeyStays stays = reporting == Reporting::Reported ? SubKeyStays::StepOver : SubKeyStays::Stop;
    if (const LONG error = DeleteSubKeys(key.get(), stays)) return error;
  }
  const LONG deleted = DeleteKey(root, subKey);
  return reporting == Reporting::Reported ? ReportKey(run.report, root, subKey, deleted) : deleted;
}

// Hands each value of the key whose lower-cased name passes `matches` to `change`, from the
// last index to the first, by the names read before any change; each value `change` deleted
// or rewrote is reported. A longer name than the removals look at is passed over whole.
// Returns the first error met, ERROR_SUCCESS when there was none.
template <typename Matches, typename Change>
LONG ChangeMatchingValues(RunContext& run, HKEY root, const std::wstring& subKey, Matches matches, Change change) {
  RegKey key;
  const LONG opened = OpenKey(root, subKey, kKeyReadWrite, key);
  if (opened != ERROR_SUCCESS) return opened;
  std::vector<std::wstring> names;
  ValueNames(key.get(), names);  // a listing cut short still gives the names read
  LONG first = ERROR_SUCCESS;
  for (auto at = names.rbegin(); at != names.rend(); ++at) {
    const std::wstring& name = *at;
    if (name.size() > kLongestValueName || !matches(LowerAsciiLetters(name))) continue;
    const LONG changed = change(key.get(), name);
    if (changed == ERROR_SUCCESS)
      run.report.ReportRegValue(root, LogText(subKey + L" - " + name), Outcome::Done());
    else if (changed != kNothingToChange && first == ERROR_SUCCESS)
      first = changed;
  }
  return first;
}

// Deletes the values of the key whose lower-cased name passes `matches`. Only successful
// deletions are reported.
template <typename Matches>
LONG DeleteMatchingValues(RunContext& run, HKEY root, const std::wstring& subKey, Matches matches) {
  return ChangeMatchingValues(run, root, subKey, matches, [&](HKEY key, const std::wstring& name) {
    const GateSays says =
        run.policy().BeforeValue(root, subKey, key, name, ValueChange::Delete, Reporting::Reported);
    if (says != GateSays::Go) return HeldError(says);
    return DeleteValue(key, name);
  });
}

LONG DeleteQuietValue(RunContext& run, HKEY root, const std::wstring& subKey, const std::wstring& name) {
  RegKey key;
  const LONG opened = OpenKey(root, subKey, kKeyReadWrite, key);
  if (opened != ERROR_SUCCESS) return opened;
  if (!HasValue(key.get(), name)) return ERROR_FILE_NOT_FOUND;
  const GateSays says = run.policy().BeforeValue(root, subKey, key.get(), name, ValueChange::Delete, Reporting::Quiet);
  if (says != GateSays::Go) return HeldError(says);
  return DeleteValue(key.get(), name);
}

// Takes the client's operations out of one queue value; ERROR_SUCCESS when it was changed
// or deleted. A preview or a failed backup has reported it already.
LONG TakeOperationsFrom(RunContext& run, HKEY root, const std::wstring& subKey, HKEY key, const std::wstring& name,
                        const std::u16string& owner) {
  DWORD type = 0;
  std::string bytes;
  std::u16string data;
  if (!ReadRegValueWide(key, name, type, bytes) ||
      !PendingQueueFromValue(type, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), data))
    return kNothingToChange;  // not a queue this program knows
  const QueueTaking taking = TakeOperations(data, owner);
  if (!taking.changed) return kNothingToChange;
  const ValueChange change = taking.empty ? ValueChange::Delete : ValueChange::Rewrite;
  const GateSays says =
      run.policy().BeforeOperations(root, subKey, key, name, RenameOperationsData(taking.taken), change);
  if (says != GateSays::Go) return HeldError(says);
  if (taking.empty) return DeleteValue(key, name);
  return SetValue(key, name, REG_MULTI_SZ, BytesOfUtf16(taking.rest));
}

// Matches a lower-cased value name that contains `word` (lower-cased already).
auto Containing(const std::wstring& word) {
  return [word](const std::wstring& name) { return name.find(word) != std::wstring::npos; };
}

}  // namespace

LONG Remover::DeleteKeyTree(HKEY root, const std::wstring& subKey, Reporting reporting) const {
  RegLocation at;
  if (!scope_.Locate(root, subKey, at)) return ERROR_FILE_NOT_FOUND;  // not this scope's row
  if (!IsWholeKeyPath(at.path)) {
    if (reporting == Reporting::Quiet) return ERROR_INVALID_PARAMETER;
    return ReportKey(run_->report, at.root, at.path, Outcome::kErrorRefused);
  }
  return DeleteNamedKeyTree(*run_, at.root, at.path, reporting);
}

LONG Remover::DeleteValue(HKEY root, const std::wstring& subKey, const std::wstring& name,
                          Reporting reporting) const {
  RegLocation at;
  if (!scope_.Locate(root, subKey, at)) return ERROR_FILE_NOT_FOUND;
  if (reporting == Reporting::Quiet) return DeleteQuietValue(*run_, at.root, at.path, name);
  const std::wstring wanted = LowerAsciiLetters(name);
  return DeleteMatchingValues(*run_, at.root, at.path, [&wanted](const std::wstring& n) { return n == wanted; });
}

LONG Remover::DeleteValuesContaining(HKEY root, const std::wstring& subKey, const std::wstring& word) const {
  RegLocation at;
  if (!scope_.Locate(root, subKey, at)) return ERROR_FILE_NOT_FOUND;
  return DeleteMatchingValues(*run_, at.root, at.path, Containing(LowerAsciiLetters(word)));
}

LONG Remover::TakeQueueOperations(HKEY root, const std::wstring& subKey, const std::wstring& word,
                                  const std::u16string& owner) const {
  RegLocation at;
  if (!scope_.Locate(root, subKey, at)) return ERROR_FILE_NOT_FOUND;
  RunContext& run = *run_;
  return ChangeMatchingValues(run, at.root, at.path, Containing(LowerAsciiLetters(word)),
                              [&](HKEY key, const std::wstring& name) {
                                return TakeOperationsFrom(run, at.root, at.path, key, name, owner);
                              });
}

bool Remover::EnsureKey(HKEY root, const std::wstring& subKey) const {
  RegLocation at;
  if (!scope_.Locate(root, subKey, at)) return false;
  RegKey key;
  // A run that changes nothing creates nothing: the key is used only when it is there.
  if (policy().ChangesNothing()) return OpenKey(root, subKey, kKeyReadWrite, key);
  bool made = false;
  return CreateKey(at.root, at.path, key, made) == ERROR_SUCCESS;
}

bool Remover::OpenKey(HKEY root, const std::wstring& subKey, REGSAM access, RegKey& key) const {
  RegLocation at;
  if (!scope_.Locate(root, subKey, at) || policy().IsKeyGone(at.root, at.path)) return false;
  return ::OpenKey(at.root, at.path, access, key) == ERROR_SUCCESS;
}

void Remover::ForEachOtherAccount(const std::function<void(const Remover&)>& step) const {
  run_->accounts.ForEach([&](const AccountScope& scope) { step(Remover(*run_, scope)); });
}
