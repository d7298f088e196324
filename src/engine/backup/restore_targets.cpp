#include "engine/backup/restore_targets.h"
#include "engine/registry/known_keys.h"
#include "engine/text/case_folding.h"

#include <vector>

#include "engine/rules/account_rules.h"

namespace {

const char kCurrentUser[] = "HKEY_CURRENT_USER";
const char kClassesRoot[] = "HKEY_CLASSES_ROOT";
const char kUsers[] = "HKEY_USERS";
const char kLocalMachine[] = "HKEY_LOCAL_MACHINE";
const char kUserClassesSuffix[] = "_Classes";
const char kClassesBelowRoot[] = "\\" KEY_CLASSES "\\";
const char kSessionManager[] = "HKEY_LOCAL_MACHINE\\" KEY_SESSION_MANAGER;
const char kRenameQueueValue[] = VALUE_PENDING_RENAMES;

// The parts of a key path; false when one of them could lead elsewhere than it reads
// (empty, "." or "..") or would be cut short by the registry calls (a zero character).
bool SplitKeyPath(const std::string& path, std::vector<std::string>& parts) {
  parts.clear();
  size_t start = 0;
  for (;;) {
    const size_t end = path.find('\\', start);
    std::string part = path.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (part.empty() || part == "." || part == ".." || part.find('\0') != std::string::npos)
      return false;
    parts.push_back(std::move(part));
    if (end == std::string::npos) return true;
    start = end + 1;
  }
}

// An account's own registry as HKEY_USERS shows it: "<SID>" or "<SID>_Classes".
bool IsUserHiveName(const std::string& name) {
  const std::string suffix = kUserClassesSuffix;
  if (IsUserAccountSid(name)) return true;
  return name.size() > suffix.size() &&
         EqualsNoCase(name.substr(name.size() - suffix.size()), suffix) &&
         IsUserAccountSid(name.substr(0, name.size() - suffix.size()));
}

bool IsRemovableKey(const std::vector<std::string>& parts) {
  const std::string& root = parts[0];
  if (EqualsNoCase(root, kCurrentUser) || EqualsNoCase(root, kClassesRoot)) return parts.size() >= 2;
  if (EqualsNoCase(root, kUsers)) return parts.size() >= 3 && IsUserHiveName(parts[1]);
  if (EqualsNoCase(root, kLocalMachine)) return parts.size() >= 3 && EqualsNoCase(parts[1], "SOFTWARE");
  return false;
}

bool IsSessionManagerKey(const std::vector<std::string>& parts) {
  std::string path;
  for (const std::string& part : parts) path += (path.empty() ? "" : "\\") + part;
  return EqualsNoCase(path, kSessionManager);
}

}  // namespace

bool MayRestoreKey(const std::string& keyPath) {
  std::vector<std::string> parts;
  return SplitKeyPath(keyPath, parts) && IsRemovableKey(parts);
}

bool MayRestoreValue(const std::string& keyPath, const std::string& name) {
  std::vector<std::string> parts;
  if (!SplitKeyPath(keyPath, parts)) return false;
  // The removal takes its operations out of every queue value whose name holds the queue's
  // name ("PendingFileRenameOperations2" is a second queue of Windows).
  return IsRemovableKey(parts) ||
         (IsSessionManagerKey(parts) && ContainsNoCase(name, std::string(kRenameQueueValue)));
}

ClassesHalf ClassesHalfOf(bool inUserClasses, bool inMachineClasses) {
  if (inUserClasses) return ClassesHalf::User;
  return inMachineClasses ? ClassesHalf::Machine : ClassesHalf::Neither;
}

bool ClassesKeyInHalf(const std::string& classesPath, ClassesHalf half, std::string& halfPath) {
  const std::string root = kClassesRoot;
  if (half == ClassesHalf::Neither || classesPath.size() <= root.size() + 1 ||
      !EqualsNoCase(classesPath.substr(0, root.size()), root) || classesPath[root.size()] != '\\')
    return false;
  halfPath = std::string(half == ClassesHalf::User ? kCurrentUser : kLocalMachine) +
             kClassesBelowRoot + classesPath.substr(root.size() + 1);
  return true;
}
