#include "server/registrar.h"

#include "engine/handles.h"

namespace {

const REGSAM kReadWrite = KEY_READ | KEY_WRITE;

HKEY RootKey(RegistrarRoot root) {
  switch (root) {
    case RegistrarRoot::ClassesRoot: return HKEY_CLASSES_ROOT;
    case RegistrarRoot::CurrentUser: return HKEY_CURRENT_USER;
    case RegistrarRoot::LocalMachine: return HKEY_LOCAL_MACHINE;
    case RegistrarRoot::Users: return HKEY_USERS;
  }
  return nullptr;
}

// Creates (or opens) the key; `created` tells whether it was not there before.
LONG CreateKey(const RegistrarStep& step, bool& created) {
  RegKey key;
  DWORD disposition = 0;
  const LONG result = RegCreateKeyExA(RootKey(step.root), step.path.c_str(), 0, nullptr, 0, kReadWrite,
                                      nullptr, key.Receive(), &disposition);
  created = result == ERROR_SUCCESS && disposition == REG_CREATED_NEW_KEY;
  return result;
}

LONG SetString(const RegistrarStep& step) {
  RegKey key;
  LONG result = RegOpenKeyExA(RootKey(step.root), step.path.c_str(), 0, kReadWrite, key.Receive());
  if (result != ERROR_SUCCESS) return result;
  return RegSetValueExA(key.get(), step.name.empty() ? nullptr : step.name.c_str(), 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(step.data.c_str()),
                        static_cast<DWORD>(step.data.size() + 1));
}

// A value or key that is not there is no error.
LONG DeleteValue(const RegistrarStep& step) {
  RegKey key;
  LONG result = RegOpenKeyExA(RootKey(step.root), step.path.c_str(), 0, kReadWrite, key.Receive());
  if (result == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
  if (result != ERROR_SUCCESS) return result;
  result = RegDeleteValueA(key.get(), step.name.c_str());
  return result == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : result;
}

// Deletes the key only when nothing the script does not name lives below it.
LONG DeleteKeyIfNoSubKeys(const RegistrarStep& step) {
  RegKey key;
  LONG result = RegOpenKeyExA(RootKey(step.root), step.path.c_str(), 0, KEY_READ, key.Receive());
  if (result == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
  if (result != ERROR_SUCCESS) return result;
  DWORD subKeys = 0;
  result = RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, nullptr,
                            nullptr, nullptr, nullptr, nullptr);
  if (result != ERROR_SUCCESS) return result;
  if (subKeys != 0) return ERROR_SUCCESS;
  key.Reset();
  result = RegDeleteKeyA(RootKey(step.root), step.path.c_str());
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
  for (size_t i = created.size(); i-- > 0;) RegDeleteKeyA(RootKey(created[i]->root), created[i]->path.c_str());
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
