#pragma once
// What must hold for any input of the readers of other programs' data: shared by the libFuzzer
// targets (which abort on a broken rule) and the bounded random tests of the native suite.
// Each check returns "" when all holds, else the rule that broke. Crashes and reads past the
// input are caught by the sanitizers around them.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/rules/path_names.h"
#include "engine/rules/path_rules.h"
#include "engine/rules/profile_layout.h"
#include "orv/orv_paths.h"
#include "engine/registry/rename_queue.h"
#include "pel/pel_paths.h"
#include "server/registrar_script.h"

// A registry value of type `type` holding `bytes`, read as the queue of the next start of
// Windows and filtered of the client's operations.
inline std::string CheckPendingQueue(uint32_t type, const std::string& bytes) {
  std::u16string data;
  const bool known = PendingQueueFromValue(type, reinterpret_cast<const uint8_t*>(bytes.data()),
                                           bytes.size(), data);
  if (known != (type == kPendingQueueType && bytes.size() % 2 == 0))
    return "a value of another type or an odd size was taken for a queue, or a queue refused";
  if (!known) return "";
  if (data.size() * 2 != bytes.size()) return "the queue was not read whole";
  const QueueTaking filtered = TakeOperations(data, u"orv");
  if (!filtered.changed) return filtered.rest.empty() ? "" : "an unchanged queue is rewritten";
  if (filtered.empty) return filtered.rest.empty() ? "" : "an emptied queue keeps data";
  const std::u16string& rest = filtered.rest;
  if (rest.size() < 2 || rest[rest.size() - 1] != u'\0' || rest[rest.size() - 2] != u'\0')
    return "the rewritten queue lacks its closing empty string";
  if (rest.size() > data.size() + 2) return "the rewritten queue grew";
  if (TakeOperations(rest, u"orv").changed) return "an operation of the client was kept";
  return "";
}

// A registration script: parsed whole or refused whole, and a parsed one stays within limits.
inline std::string CheckRegistrarScript(const std::string& text) {
  const std::vector<RegistrarVariable> variables = {
      {"Module", "\"C:\\Program Files\\purgon.exe\""}, {"Module_Raw", "C:\\Program Files\\purgon.exe"},
      {"APPID", ""}};
  const RegistrarParse parse = ParseRegistrarScript(text, variables);
  if (!parse.ok) return parse.keys.empty() && !parse.error.empty() ? "" : "a refusal keeps keys or says nothing";
  for (const RegistrarKey& key : parse.keys) {
    if (key.path.empty() || key.path.size() > kRegistrarMaxPathLength) return "a key path out of bounds";
    if (key.path.front() == '\\' || key.path.back() == '\\' || key.path.find("\\\\") != std::string::npos)
      return "a key path with an empty name: " + key.path;
    for (const RegistrarValue& value : key.values)
      if (value.name.size() > kRegistrarMaxNameLength) return "a value name out of bounds";
  }
  for (bool registering : {true, false})
    for (const RegistrarStep& step : PlanRegistration(parse.keys, registering))
      if (step.path.empty()) return "a step on a root";
  return "";
}

// Names and paths from the registry and the shell, through every rule that builds a path from
// them: what a rule lets through is whole and bounded.
inline std::string CheckPathTexts(const std::string& first, const std::string& second) {
  NormalizeFolderPath(first);
  ProtectedFolders folders;
  folders.folders = {second};
  folders.childrenOf = {second};
  folders.belowChildren = {"AppData\\Roaming"};
  IsRefusedTree(first, folders);
  if (!IsRefusedTree(second, folders)) return "a protected folder was not refused: " + second;
  if (IsPlainName(first) && (first.find('\\') != std::string::npos || first == ".." || first.empty()))
    return "a name with a separator passed as plain";
  if (IsUsableDataFolderName(first) && !IsPlainName(first)) return "a data folder name that is not plain";
  if (IsUsableShortcutName(first) && first.find_first_of("/:") != std::string::npos)
    return "a shortcut name leading out of the desktop";
  if (IsLauncherExecutablePath(first) && (PathRootLength(first) == 0 || FolderOfPath(first).empty()))
    return "a launcher path without a root or a folder";
  std::string folder;
  if (InstallFolderFromBinDir(first, folder) && (!IsFolderBelowRoot(folder) || folder.size() >= kPelPathBufferSize))
    return "an install folder that is a root or too long: " + folder;
  if (TempImagesFolder(first, folder) && folder.size() >= kPelPathBufferSize) return "a temporary folder too long";
  if (AcrobatPluginFolder(first, folder) && folder.size() >= kPelPathBufferSize) return "a plug-in folder too long";
  const ProfileLayout layout = FindProfileLayout(first, second);
  AppDataFolderOf(layout, second);
  return "";
}

// The first line of a fuzz input and the rest.
inline void SplitAtFirstLine(const std::string& input, std::string& first, std::string& rest) {
  const size_t end = input.find('\n');
  first = input.substr(0, end);
  rest = end == std::string::npos ? std::string() : input.substr(end + 1);
}
