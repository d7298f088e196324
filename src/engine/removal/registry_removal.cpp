#include "engine/removal/registry_removal.h"

#include <vector>

#include "engine/removal/change_gate.h"
#include "engine/core/cleanup_context.h"
#include "engine/core/handles.h"
#include "engine/registry/registry.h"
#include "engine/registry/rename_queue.h"
#include "engine/text/wide_text.h"

namespace {

const LONG kNothingToChange = ERROR_NO_MATCH;  // a matching value that needs no change
// Value names the removals look at: at most 1023 characters, as they always have been.
const size_t kLongestValueName = 1023;

// Reports the key's deletion with its outcome and hands the error code on.
LONG ReportKey(HKEY root, const std::wstring& subKey, LONG error) {
  TheCleanupContext().ReportRegKey(root, LogText(subKey),
                                   error == ERROR_SUCCESS ? Outcome::Done() : Outcome::Failed(error));
  return error;
}

// Deletes every sub-key on the way out of the walk. A sub-key that stays (no access, or
// something below it stays) is stepped over, so the walk always ends; the key the caller
// named then cannot be deleted, and that is what gets reported.
class DeleteAllBelow : public KeyVisitor {
 public:
  bool Leave(HKEY parent, const std::wstring& name) override {
    DeleteKey(parent, name);
    return true;
  }
};

// The same, for a removal that stops at the first nested key that cannot be removed and keeps
// its error.
class DeleteAllBelowOrStop : public KeyVisitor {
 public:
  LONG error = ERROR_SUCCESS;
  bool Unopened(HKEY, const std::wstring&, LONG status) override { return Stop(status); }
  bool Leave(HKEY parent, const std::wstring& name) override {
    return Stop(DeleteKey(parent, name));
  }

 private:
  bool Stop(LONG status) {
    error = status;
    return status == ERROR_SUCCESS;
  }
};

// The error a removal returns for what the gate held back; the gate has reported it.
LONG HeldError(GateSays says) { return says == GateSays::Gone ? ERROR_FILE_NOT_FOUND : ERROR_CANCELLED; }

// Removes the key the caller named and everything below it, and reports it. The key passes
// the change gate first.
LONG DeleteNamedKeyTree(HKEY root, const std::wstring& subKey) {
  {
    RegKey key;
    const LONG opened = OpenKey(root, subKey, kKeyReadWrite, key);
    if (opened != ERROR_SUCCESS) return opened;
    const GateSays says = TheChangeGate().BeforeKeyTree(root, subKey, key.get(), Reporting::Reported);
    if (says != GateSays::Go) return HeldError(says);
    DeleteAllBelow below;
    VisitKeyTree(key.get(), subKey, kKeyReadWrite, below);
  }
  return ReportKey(root, subKey, DeleteKey(root, subKey));
}

// Lower-cases the letters A to Z only, as the program compares names.
std::wstring LowerAsciiLetters(std::wstring text) {
  for (wchar_t& c : text)
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  return text;
}

// Hands each value of the key whose lower-cased name passes `matches` to `change`, from the
// last index to the first, by the names read before any change; each value `change` deleted
// or rewrote is reported. A longer name than the removals look at is passed over whole.
// Returns the first error met, ERROR_SUCCESS when there was none.
template <typename Matches, typename Change>
LONG ChangeMatchingValues(HKEY root, const std::wstring& subKey, Matches matches, Change change) {
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
      TheCleanupContext().ReportRegValue(root, LogText(subKey + L" - " + name), Outcome::Done());
    else if (changed != kNothingToChange && first == ERROR_SUCCESS)
      first = changed;
  }
  return first;
}

// Deletes the values of the key whose lower-cased name passes `matches`. Only successful
// deletions are reported.
template <typename Matches>
LONG DeleteMatchingValues(HKEY root, const std::wstring& subKey, Matches matches) {
  return ChangeMatchingValues(root, subKey, matches, [&](HKEY key, const std::wstring& name) {
    const GateSays says =
        TheChangeGate().BeforeValue(root, subKey, key, name, ValueChange::Delete, Reporting::Reported);
    if (says != GateSays::Go) return HeldError(says);
    return DeleteValue(key, name);
  });
}

// Takes the client's operations out of one queue value; ERROR_SUCCESS when it was changed
// or deleted. A preview or a failed backup has reported it already.
LONG TakeOperationsFrom(HKEY root, const std::wstring& subKey, HKEY key, const std::wstring& name,
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
      TheChangeGate().BeforeOperations(root, subKey, key, name, RenameOperationsData(taking.taken), change);
  if (says != GateSays::Go) return HeldError(says);
  if (taking.empty) return DeleteValue(key, name);
  const std::string rest(reinterpret_cast<const char*>(taking.rest.data()),
                         taking.rest.size() * sizeof(char16_t));
  return SetValue(key, name, REG_MULTI_SZ, rest);
}

// True for a path of whole names: not empty, no leading or trailing backslash, no empty
// name between two backslashes. Windows opens the parent for "Parent\\" and the root itself
// for "", so a path built from an empty name would take the whole parent.
bool IsWholeKeyPath(const std::wstring& subKey) {
  if (subKey.empty() || subKey[0] == L'\\' || subKey.back() == L'\\') return false;
  return subKey.find(L"\\\\") == std::wstring::npos;
}

}  // namespace

LONG DeleteRegKeyTree(HKEY root, const std::wstring& subKey) {
  if (!IsWholeKeyPath(subKey)) return ReportKey(root, subKey, Outcome::kErrorRefused);
  return DeleteNamedKeyTree(root, subKey);
}

LONG DeleteRegKeyTreeQuietly(HKEY root, const std::wstring& subKey) {
  if (!IsWholeKeyPath(subKey)) return ERROR_INVALID_PARAMETER;
  {
    RegKey key;
    const LONG opened = OpenKey(root, subKey, kKeyReadWrite, key);
    if (opened != ERROR_SUCCESS) return opened;
    const GateSays says = TheChangeGate().BeforeKeyTree(root, subKey, key.get(), Reporting::Quiet);
    if (says != GateSays::Go) return HeldError(says);
    DeleteAllBelowOrStop below;
    if (!VisitKeyTree(key.get(), subKey, kKeyReadWrite, below)) return below.error;
  }
  return DeleteKey(root, subKey);
}

LONG DeleteRegValueQuietly(HKEY root, const std::wstring& subKey, const std::wstring& valueName) {
  RegKey key;
  const LONG opened = OpenKey(root, subKey, kKeyReadWrite, key);
  if (opened != ERROR_SUCCESS) return opened;
  if (!HasValue(key.get(), valueName)) return ERROR_FILE_NOT_FOUND;
  const GateSays says =
      TheChangeGate().BeforeValue(root, subKey, key.get(), valueName, ValueChange::Delete, Reporting::Quiet);
  if (says != GateSays::Go) return HeldError(says);
  return DeleteValue(key.get(), valueName);
}

bool EnsureRegKey(HKEY root, const std::wstring& subKey) {
  RegKey key;
  // A preview creates nothing: the key is used only when it is there.
  if (!TheChangeGate().MayMakeKey()) return OpenRegKey(root, subKey, kKeyReadWrite, key);
  bool made = false;
  return CreateKey(root, subKey, key, made) == ERROR_SUCCESS;
}

bool OpenRegKey(HKEY root, const std::wstring& subKey, REGSAM access, RegKey& key) {
  if (TheChangeGate().IsKeyGone(root, subKey)) return false;
  return OpenKey(root, subKey, access, key) == ERROR_SUCCESS;
}

LONG DeleteRegValueNamed(HKEY root, const std::wstring& subKey, const std::wstring& valueName) {
  const std::wstring wanted = LowerAsciiLetters(valueName);
  return DeleteMatchingValues(root, subKey, [&wanted](const std::wstring& name) { return name == wanted; });
}

LONG TakeQueueOperations(HKEY root, const std::wstring& subKey, const std::wstring& pattern,
                         const std::u16string& owner) {
  const std::wstring wanted = LowerAsciiLetters(pattern);
  return ChangeMatchingValues(
      root, subKey, [&wanted](const std::wstring& name) { return name.find(wanted) != std::wstring::npos; },
      [&](HKEY key, const std::wstring& name) { return TakeOperationsFrom(root, subKey, key, name, owner); });
}

LONG DeleteRegValuesContaining(HKEY root, const std::wstring& subKey, const std::wstring& pattern) {
  const std::wstring wanted = LowerAsciiLetters(pattern);
  return DeleteMatchingValues(root, subKey, [&wanted](const std::wstring& name) {
    return name.find(wanted) != std::wstring::npos;
  });
}

LONG DeleteRegKeyTree(HKEY root, const std::string& subKey) { return DeleteRegKeyTree(root, Widen(subKey)); }

LONG DeleteRegValueNamed(HKEY root, const std::string& subKey, const std::string& valueName) {
  return DeleteRegValueNamed(root, Widen(subKey), Widen(valueName));
}

LONG DeleteRegValuesContaining(HKEY root, const std::string& subKey, const std::string& pattern) {
  return DeleteRegValuesContaining(root, Widen(subKey), Widen(pattern));
}

LONG DeleteRegKeyTreeQuietly(HKEY root, const std::string& subKey) {
  return DeleteRegKeyTreeQuietly(root, Widen(subKey));
}

LONG DeleteRegValueQuietly(HKEY root, const std::string& subKey, const std::string& valueName) {
  return DeleteRegValueQuietly(root, Widen(subKey), Widen(valueName));
}

bool EnsureRegKey(HKEY root, const std::string& subKey) { return EnsureRegKey(root, Widen(subKey)); }

bool OpenRegKey(HKEY root, const std::string& subKey, REGSAM access, RegKey& key) {
  return OpenRegKey(root, Widen(subKey), access, key);
}

namespace {

// Runs `removal` on the row's place in the scope; a row the scope does not take is skipped.
template <typename Removal>
void InScope(const AccountScope& scope, HKEY root, const std::wstring& path, Removal removal) {
  RegLocation at;
  if (scope.Locate(root, path, at)) removal(at.root, at.path);
}

}  // namespace

void DeleteRegKeyTreeIn(const AccountScope& scope, HKEY root, const std::wstring& path) {
  InScope(scope, root, path, [](HKEY at, const std::wstring& key) { DeleteRegKeyTree(at, key); });
}

void DeleteRegValueNamedIn(const AccountScope& scope, HKEY root, const std::wstring& path,
                           const std::wstring& valueName) {
  InScope(scope, root, path,
          [&](HKEY at, const std::wstring& key) { DeleteRegValueNamed(at, key, valueName); });
}

void DeleteRegValuesContainingIn(const AccountScope& scope, HKEY root, const std::wstring& path,
                                 const std::wstring& pattern) {
  InScope(scope, root, path,
          [&](HKEY at, const std::wstring& key) { DeleteRegValuesContaining(at, key, pattern); });
}

void DeleteRegKeyTreeQuietlyIn(const AccountScope& scope, HKEY root, const std::wstring& path) {
  InScope(scope, root, path, [](HKEY at, const std::wstring& key) { DeleteRegKeyTreeQuietly(at, key); });
}

void DeleteRegValueQuietlyIn(const AccountScope& scope, HKEY root, const std::wstring& path,
                             const std::wstring& valueName) {
  InScope(scope, root, path,
          [&](HKEY at, const std::wstring& key) { DeleteRegValueQuietly(at, key, valueName); });
}

bool OpenRegKeyIn(const AccountScope& scope, HKEY root, const std::wstring& path, RegKey& key) {
  RegLocation at;
  return scope.Locate(root, path, at) && OpenRegKey(at.root, at.path, kKeyReadWrite, key);
}
