#include "engine/registry.h"

#include <vector>

#include "engine/change_gate.h"
#include "engine/cleanup_context.h"
#include "engine/handles.h"
#include "engine/rename_queue.h"
#include "engine/wide_text.h"

namespace {

const DWORD kKeyNameBuffer = 256;     // 255 characters and the terminator
const DWORD kValueNameBuffer = 1024;  // 1023 characters and the terminator
const DWORD kStringBuffer = 256;      // ReadRegString reads at most 255 characters into it
const LONG kNothingToChange = ERROR_NO_MATCH;  // a matching value that needs no change

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
    RegDeleteKeyW(parent, name.c_str());
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
    return Stop(RegDeleteKeyW(parent, name.c_str()));
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
    const LONG opened = RegOpenKeyExW(root, subKey.c_str(), 0, kKeyReadWrite, key.Receive());
    if (opened != ERROR_SUCCESS) return opened;
    const GateSays says = TheChangeGate().BeforeKeyTree(root, subKey, key.get(), Reporting::Reported);
    if (says != GateSays::Go) return HeldError(says);
    DeleteAllBelow below;
    VisitKeyTree(key.get(), subKey, kKeyReadWrite, below);
  }
  return ReportKey(root, subKey, RegDeleteKeyW(root, subKey.c_str()));
}

// Lower-cases the letters A to Z only, as the program compares names.
std::wstring LowerAsciiLetters(std::wstring text) {
  for (wchar_t& c : text)
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  return text;
}

// Hands each value of the key whose lower-cased name passes `matches` to `change`, walking
// the indexes from the top down so that a deletion never moves a value still to be examined;
// each value `change` deleted or rewrote is reported. A name longer than the buffer is
// skipped, never cut: a cut name could be another value's name.
// Returns the first error met, ERROR_SUCCESS when there was none.
template <typename Matches, typename Change>
LONG ChangeMatchingValues(HKEY root, const std::wstring& subKey, Matches matches, Change change) {
  RegKey key;
  const LONG opened = RegOpenKeyExW(root, subKey.c_str(), 0, kKeyReadWrite, key.Receive());
  if (opened != ERROR_SUCCESS) return opened;
  DWORD count = 0;
  const LONG counted = RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr,
                                        nullptr, &count, nullptr, nullptr, nullptr, nullptr);
  if (counted != ERROR_SUCCESS) return counted;
  LONG first = ERROR_SUCCESS;
  std::vector<wchar_t> buffer(kValueNameBuffer);
  for (DWORD index = count; index-- > 0;) {
    DWORD length = kValueNameBuffer;
    const LONG status =
        RegEnumValueW(key.get(), index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_MORE_DATA) continue;
    if (status != ERROR_SUCCESS) break;
    const std::wstring name(buffer.data(), length);
    if (!matches(LowerAsciiLetters(name))) continue;
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
    return RegDeleteValueW(key, name.c_str());
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
  if (taking.empty) return RegDeleteValueW(key, name.c_str());
  return RegSetValueExW(key, name.c_str(), 0, REG_MULTI_SZ,
                        reinterpret_cast<const BYTE*>(taking.rest.data()),
                        static_cast<DWORD>(taking.rest.size() * sizeof(char16_t)));
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
    const LONG opened = RegOpenKeyExW(root, subKey.c_str(), 0, kKeyReadWrite, key.Receive());
    if (opened != ERROR_SUCCESS) return opened;
    const GateSays says = TheChangeGate().BeforeKeyTree(root, subKey, key.get(), Reporting::Quiet);
    if (says != GateSays::Go) return HeldError(says);
    DeleteAllBelowOrStop below;
    if (!VisitKeyTree(key.get(), subKey, kKeyReadWrite, below)) return below.error;
  }
  return RegDeleteKeyW(root, subKey.c_str());
}

LONG DeleteRegValueQuietly(HKEY root, const std::wstring& subKey, const std::wstring& valueName) {
  RegKey key;
  const LONG opened = RegOpenKeyExW(root, subKey.c_str(), 0, kKeyReadWrite, key.Receive());
  if (opened != ERROR_SUCCESS) return opened;
  if (RegQueryValueExW(key.get(), valueName.c_str(), nullptr, nullptr, nullptr, nullptr) !=
      ERROR_SUCCESS)
    return ERROR_FILE_NOT_FOUND;
  const GateSays says =
      TheChangeGate().BeforeValue(root, subKey, key.get(), valueName, ValueChange::Delete, Reporting::Quiet);
  if (says != GateSays::Go) return HeldError(says);
  return RegDeleteValueW(key.get(), valueName.c_str());
}

bool EnsureRegKey(HKEY root, const std::wstring& subKey) {
  RegKey key;
  // A preview creates nothing: the key is used only when it is there.
  if (!TheChangeGate().MayMakeKey()) return OpenRegKey(root, subKey, kKeyReadWrite, key);
  return RegCreateKeyExW(root, subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, kKeyReadWrite,
                         nullptr, key.Receive(), nullptr) == ERROR_SUCCESS;
}

bool OpenRegKey(HKEY root, const std::wstring& subKey, REGSAM access, RegKey& key) {
  if (TheChangeGate().IsKeyGone(root, subKey)) return false;
  return RegOpenKeyExW(root, subKey.c_str(), 0, access, key.Receive()) == ERROR_SUCCESS;
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

std::wstring ReadRegString(HKEY key, const wchar_t* valueName) {
  return ReadRegStringWithin(key, valueName, kStringBuffer - 1);
}

std::wstring ReadRegStringWithin(HKEY key, const wchar_t* valueName, DWORD sizeLimit) {
  std::vector<wchar_t> buffer(static_cast<size_t>(sizeLimit) + 1, L'\0');
  DWORD type = 0;
  DWORD size = sizeLimit * sizeof(wchar_t);
  if (RegQueryValueExW(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                       &size) != ERROR_SUCCESS)
    return std::wstring();
  if (type != REG_SZ && type != REG_EXPAND_SZ) return std::wstring();
  const DWORD characters = size / sizeof(wchar_t);
  if (size % sizeof(wchar_t) != 0 || characters == 0 || characters > sizeLimit ||
      buffer[characters - 1] != L'\0')
    return std::wstring();
  return buffer.data();
}

std::vector<std::wstring> SubKeyNames(HKEY key) {
  std::vector<std::wstring> names;
  for (DWORD index = 0;; ++index) {
    wchar_t name[kKeyNameBuffer];
    DWORD length = kKeyNameBuffer;
    if (RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS)
      break;
    names.emplace_back(name, length);
  }
  return names;
}

bool ReadRegValueWide(HKEY key, const std::wstring& valueName, DWORD& type, std::string& bytes) {
  DWORD size = 0;
  if (RegQueryValueExW(key, valueName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
    return false;
  // The value may grow between the two calls; a few tries, then it counts as unreadable.
  for (int attempt = 0; attempt < 4; ++attempt) {
    bytes.assign(size, '\0');
    if (size == 0) return true;
    const LONG status = RegQueryValueExW(key, valueName.c_str(), nullptr, &type,
                                         reinterpret_cast<BYTE*>(&bytes[0]), &size);
    if (status == ERROR_SUCCESS) {
      bytes.resize(size);
      return true;
    }
    if (status != ERROR_MORE_DATA) return false;
  }
  return false;
}

LONG OpenKey(HKEY root, const std::wstring& path, REGSAM access, RegKey& key) {
  return RegOpenKeyExW(root, path.c_str(), 0, access, key.Receive());
}

LONG CreateKey(HKEY root, const std::wstring& path, RegKey& key, bool& made) {
  DWORD disposition = 0;
  const LONG status = RegCreateKeyExW(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                      kKeyReadWrite, nullptr, key.Receive(), &disposition);
  made = status == ERROR_SUCCESS && disposition == REG_CREATED_NEW_KEY;
  return status;
}

LONG DeleteKey(HKEY root, const std::wstring& path) { return RegDeleteKeyW(root, path.c_str()); }

LONG SetValue(HKEY key, const std::wstring& name, DWORD type, const std::string& bytes) {
  return RegSetValueExW(key, name.empty() ? nullptr : name.c_str(), 0, type,
                        reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()));
}

LONG DeleteValue(HKEY key, const std::wstring& name) { return RegDeleteValueW(key, name.c_str()); }

bool HasValue(HKEY key, const std::wstring& name) {
  return RegQueryValueExW(key, name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool ValueNames(HKEY key, std::vector<std::wstring>& names) {
  DWORD count = 0, longest = 0;
  if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &longest,
                       nullptr, nullptr, nullptr) != ERROR_SUCCESS)
    return false;
  std::vector<wchar_t> name(longest + 2);
  for (DWORD index = 0; index < count; ++index) {
    DWORD length = static_cast<DWORD>(name.size());
    if (RegEnumValueW(key, index, name.data(), &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      return false;
    names.emplace_back(name.data(), length);
  }
  return true;
}

LONG CountSubKeys(HKEY key, DWORD& count) {
  return RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr,
                          nullptr, nullptr, nullptr);
}

LONG LoadUserRegistry(const std::wstring& name, const std::wstring& file) {
  return RegLoadKeyW(HKEY_USERS, name.c_str(), file.c_str());
}

LONG UnloadUserRegistry(const std::wstring& name) { return RegUnLoadKeyW(HKEY_USERS, name.c_str()); }

bool VisitKeyTree(HKEY key, const std::wstring& path, REGSAM access, KeyVisitor& visitor) {
  if (!visitor.Enter(key, path)) return false;
  for (const std::wstring& name : SubKeyNames(key)) {
    {
      RegKey sub;
      const LONG opened = RegOpenKeyExW(key, name.c_str(), 0, access, sub.Receive());
      if (opened != ERROR_SUCCESS) {
        if (!visitor.Unopened(key, name, opened)) return false;
      } else if (!VisitKeyTree(sub.get(), path + L"\\" + name, access, visitor)) {
        return false;
      }
    }
    if (!visitor.Leave(key, name)) return false;
  }
  return true;
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
