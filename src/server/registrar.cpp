#include "server/registrar.h"

#include "engine/core/handles.h"
#include "engine/registry/registry.h"
#include "engine/text/wide_text.h"

namespace {

HKEY RootKey(RegistrarRoot root) {
  switch (root) {
    case RegistrarRoot::ClassesRoot: return HKEY_CLASSES_ROOT;
    case RegistrarRoot::CurrentUser: return HKEY_CURRENT_USER;
    case RegistrarRoot::LocalMachine: return HKEY_LOCAL_MACHINE;
    case RegistrarRoot::Users: return HKEY_USERS;
  }
  return nullptr;
}

std::wstring PathOf(const RegistrarStep& step) { return Widen(step.path); }

// Creates (or opens) the key; `created` tells whether it was not there before.
LONG CreateKey(const RegistrarStep& step, bool& created) {
  RegKey key;
  return CreateKey(RootKey(step.root), PathOf(step), key, created);
}

LONG SetString(const RegistrarStep& step) {
  RegKey key;
  const LONG result = OpenKey(RootKey(step.root), PathOf(step), kKeyReadWrite, key);
  if (result != ERROR_SUCCESS) return result;
  std::wstring data = Widen(step.data);
  data += L'\0';
  return SetValue(key.get(), Widen(step.name), REG_SZ, BytesOfUtf16(data));
}

// A value or key that is not there is no error.
LONG DeleteValue(const RegistrarStep& step) {
  RegKey key;
  LONG result = OpenKey(RootKey(step.root), PathOf(step), kKeyReadWrite, key);
  if (result == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
  if (result != ERROR_SUCCESS) return result;
  result = DeleteValue(key.get(), Widen(step.name));
  return result == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : result;
}

// Deletes the key only when nothing the script does not name lives below it.
LONG DeleteKeyIfNoSubKeys(const RegistrarStep& step) {
  RegKey key;
  LONG result = OpenKey(RootKey(step.root), PathOf(step), KEY_READ, key);
  if (result == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
  if (result != ERROR_SUCCESS) return result;
  DWORD subKeys = 0;
  result = CountSubKeys(key.get(), subKeys);
  if (result != ERROR_SUCCESS) return result;
  if (subKeys != 0) return ERROR_SUCCESS;
  key.Reset();
  result = DeleteKey(RootKey(step.root), PathOf(step));
  return result == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : result;
}

HRESULT Register(const std::vector<RegistrarStep>& steps) {
  std::vector<const RegistrarStep*> created;  // to undo a registration that fails half way
  LONG result = ERROR_SUCCESS;
  for (const RegistrarStep& step : steps) {
    bool isNew = false;
    result = step.kind == RegistrarStep::CreateKey ? CreateKey(step, isNew) : SetString(step);
    if (isNew) created.push_back(&step);
    if (result != ERROR_SUCCESS) break;
  }
  if (result == ERROR_SUCCESS) return S_OK;
  for (size_t i = created.size(); i-- > 0;) DeleteKey(RootKey(created[i]->root), PathOf(*created[i]));
  return HRESULT_FROM_WIN32(result);
}

HRESULT Unregister(const std::vector<RegistrarStep>& steps) {
  LONG first = ERROR_SUCCESS;
  for (const RegistrarStep& step : steps) {
    const LONG result = step.kind == RegistrarStep::DeleteValue ? DeleteValue(step) : DeleteKeyIfNoSubKeys(step);
    if (first == ERROR_SUCCESS) first = result;
  }
  return HRESULT_FROM_WIN32(first);
}

}  // namespace

HRESULT RunRegistrarScript(const std::string& script, const std::vector<RegistrarVariable>& variables,
                           bool registering) {
  const RegistrarParse parse = ParseRegistrarScript(script, variables);
  if (!parse.ok) return DISP_E_EXCEPTION;
  const std::vector<RegistrarStep> steps = PlanRegistration(parse.keys, registering);
  return registering ? Register(steps) : Unregister(steps);
}
