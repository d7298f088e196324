#include "engine/core/optional_calls.h"

#include <string>

namespace {

template <typename Function>
void Find(HMODULE module, const char* name, Function& function) {
  function = module ? reinterpret_cast<Function>(GetProcAddress(module, name)) : nullptr;
}

// SHFolder.dll by its full path in the system folder: it is not one of the DLLs Windows
// always takes from there, and a copy planted beside the program must not be loaded.
HMODULE LoadShFolder() {
  char folder[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH - 14) return nullptr;
  return LoadLibraryA((std::string(folder) + "\\shfolder.dll").c_str());
}

OptionalCalls Gather() {
  OptionalCalls calls;
  const HMODULE kernel = GetModuleHandleA("kernel32.dll");
  Find(kernel, "GetFinalPathNameByHandleA", calls.getFinalPathNameByHandleA);
  Find(kernel, "SetDefaultDllDirectories", calls.setDefaultDllDirectories);
  Find(kernel, "SetDllDirectoryA", calls.setDllDirectoryA);
  if (OnWindows9x()) return calls;  // nothing else exists there, or only as a stub
  Find(kernel, "GetLongPathNameW", calls.getLongPathNameW);
  Find(kernel, "GetFinalPathNameByHandleW", calls.getFinalPathNameByHandleW);
  const HMODULE advapi = GetModuleHandleA("advapi32.dll");
  Find(advapi, "CheckTokenMembership", calls.checkTokenMembership);
  Find(advapi, "SetSecurityDescriptorControl", calls.setSecurityDescriptorControl);
  Find(GetModuleHandleA("shell32.dll"), "SHGetFolderPathW", calls.shGetFolderPathW);
  if (!calls.shGetFolderPathW) Find(LoadShFolder(), "SHGetFolderPathW", calls.shGetFolderPathW);
  const HMODULE automation = GetModuleHandleA("oleaut32.dll");
  Find(automation, "LoadTypeLibEx", calls.loadTypeLibEx);
  Find(automation, "UnRegisterTypeLib", calls.unRegisterTypeLib);
  const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  Find(ntdll, "NtCreateFile", calls.ntCreateFile);
  Find(ntdll, "NtQueryDirectoryFile", calls.ntQueryDirectoryFile);
  Find(ntdll, "NtSetInformationFile", calls.ntSetInformationFile);
  Find(ntdll, "NtQueryInformationFile", calls.ntQueryInformationFile);
  Find(ntdll, "NtQueryKey", calls.ntQueryKey);
  Find(ntdll, "RtlNtStatusToDosError", calls.rtlNtStatusToDosError);
  return calls;
}

}  // namespace

const OptionalCalls& Optional() {
  static const OptionalCalls calls = Gather();
  return calls;
}

bool OnWindows9x() {
  // The high bit of the version is set on Windows 9x (and on Win32s, which this program
  // never meets).
  return (GetVersion() & 0x80000000u) != 0;
}
