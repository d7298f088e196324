#include "engine/backup/backup_layout.h"

#include "engine/text/text_utils.h"

const char kBackupRegistryFile[] = "registry.reg";
const char kBackupFilesFolder[] = "files";

namespace {

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// No empty, "." or ".." part: the kept place must lie inside the files folder and the
// original where it was.
bool HasOnlyPlainParts(const std::string& path) {
  size_t start = 0;
  for (;;) {
    const size_t end = path.find('\\', start);
    const std::string part = path.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (part.empty() || part == "." || part == ".." || part.find('/') != std::string::npos)
      return false;
    if (end == std::string::npos) return true;
    start = end + 1;
  }
}

// Runs of backslashes as one: the launcher forms paths such as "...\QLaunch\\qlaunch.ico",
// which Windows reads as single separators; the kept place and the way back use one.
std::string WithSingleSeparators(const std::string& path) {
  std::string single;
  for (char c : path)
    if (c != '\\' || single.empty() || single.back() != '\\') single += c;
  return single;
}

}  // namespace

bool KeptPathOf(const std::string& path, std::string& kept) {
  std::string rest;
  if (path.size() > 3 && IsLetter(path[0]) && path[1] == ':' && path[2] == '\\') {
    kept = std::string(1, static_cast<char>(path[0] & ~0x20)) + "\\";
    rest = WithSingleSeparators(path.substr(3));
    if (!rest.empty() && rest[0] == '\\') rest.erase(0, 1);  // "C:\\x" is "C:\x" to Windows
  } else if (path.size() > 2 && path[0] == '\\' && path[1] == '\\' && path[2] != '?' &&
             path[2] != '.') {
    kept = "UNC\\";
    rest = WithSingleSeparators(path.substr(2));  // a third leading backslash stays and fails
  } else {
    return false;
  }
  if (!rest.empty() && rest.back() == '\\') rest.pop_back();
  if (!HasOnlyPlainParts(rest)) return false;
  kept += rest;
  return true;
}

bool OriginalPathOf(const std::string& kept, std::string& path) {
  if (kept.size() > 2 && IsLetter(kept[0]) && kept[1] == '\\') {
    path = std::string(1, kept[0]) + ":" + kept.substr(1);
  } else if (kept.compare(0, 4, "UNC\\") == 0 && kept.size() > 4) {
    path = "\\\\" + kept.substr(4);
  } else {
    return false;
  }
  std::string rest = path.substr(path[0] == '\\' ? 2 : 3);
  return HasOnlyPlainParts(rest);
}
