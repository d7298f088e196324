#include "engine/rules/path_rules.h"

namespace {

const char kUncMarker[] = "\\\\";

// A path cut into its parts: for an absolute path the first part is its root ("c:" for a
// drive, kUncMarker for a network path), then one part per folder name.
struct PathParts {
  bool absolute = false;
  std::vector<std::string> parts;
};

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// `prefix` (lower case, "\\" for either separator) at `at` of `text`.
bool StartsWithPathNoCase(const std::string& text, size_t at, const char* prefix) {
  for (size_t i = 0; prefix[i]; ++i) {
    if (at + i >= text.size()) return false;
    char c = text[at + i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != prefix[i] && !(IsSeparator(c) && prefix[i] == '\\')) return false;
  }
  return true;
}

std::string LowerName(const std::string& name) {
  std::string out = name;
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

// Windows drops trailing dots and blanks from a name ("Windows." opens "Windows").
std::string WithoutTrailingDotsAndBlanks(const std::string& name) {
  size_t end = name.size();
  while (end > 0 && (name[end - 1] == '.' || name[end - 1] == ' ')) --end;
  return name.substr(0, end);
}

// Appends the folder names of `text` from `at` on, resolving "." and ".." the way Windows
// does: ".." never climbs above `floor` parts (the drive, or the share of a network path).
void AppendNames(const std::string& text, size_t at, size_t floor, PathParts& path) {
  while (at < text.size()) {
    while (at < text.size() && IsSeparator(text[at])) ++at;
    size_t end = at;
    while (end < text.size() && !IsSeparator(text[end])) ++end;
    const std::string name = text.substr(at, end - at);
    at = end;
    if (name.empty() || name == ".") continue;
    if (name == "..") {
      if (path.parts.size() > floor) path.parts.pop_back();
      continue;
    }
    const std::string trimmed = WithoutTrailingDotsAndBlanks(name);
    if (!trimmed.empty()) path.parts.push_back(LowerName(trimmed));
  }
}

PathParts SplitPath(const std::string& text) {
  PathParts path;
  size_t at = 0;
  bool unc = false;
  // "\\?\" and "\\.\" only switch off Win32 parsing; what follows is a drive or "UNC\".
  if (StartsWithPathNoCase(text, 0, "\\\\?\\") || StartsWithPathNoCase(text, 0, "\\\\.\\")) {
    at = 4;
    if (StartsWithPathNoCase(text, at, "unc\\")) {
      at += 4;
      unc = true;
    }
  } else if (text.size() >= 2 && IsSeparator(text[0]) && IsSeparator(text[1])) {
    at = 2;
    unc = true;
  }
  if (unc) {
    path.absolute = true;
    path.parts.push_back(kUncMarker);
    AppendNames(text, at, 3, path);  // marker, server, share
  } else if (text.size() >= at + 3 && IsLetter(text[at]) && text[at + 1] == ':' &&
             IsSeparator(text[at + 2])) {
    path.absolute = true;
    path.parts.push_back(LowerName(text.substr(at, 2)));
    AppendNames(text, at + 2, 1, path);
  } else if (text.size() == at + 2 && IsLetter(text[at]) && text[at + 1] == ':') {
    path.absolute = true;  // a bare "C:" taken as its root, the widest reading
    path.parts.push_back(LowerName(text.substr(at, 2)));
  } else {
    AppendNames(text, at, 0, path);  // relative to a current directory, or "C:name"
  }
  return path;
}

// True when `path` is `pattern` or lies above it; "*" in the pattern matches any one name.
bool IsAtOrAbove(const PathParts& path, const std::vector<std::string>& pattern) {
  if (path.parts.size() > pattern.size()) return false;
  for (size_t i = 0; i < path.parts.size(); ++i)
    if (pattern[i] != "*" && pattern[i] != path.parts[i]) return false;
  return true;
}

bool IsRootOfVolume(const PathParts& path) {
  if (path.parts.empty()) return true;
  if (path.parts[0] == kUncMarker) return path.parts.size() <= 3;  // server or share
  return path.parts.size() == 1;
}

// The shares Windows makes for administrators: a whole drive ("c$") or the Windows folder
// ("admin$"). Through them any folder of a PC, this one included, has a second spelling that
// no local rule would know, so nothing on them is ever removed as a tree.
bool IsOnAdministrativeShare(const PathParts& path) {
  if (path.parts.size() < 3 || path.parts[0] != kUncMarker) return false;
  const std::string& share = path.parts[2];
  return (share.size() == 2 && IsLetter(share[0]) && share[1] == '$') || share == "admin$";
}

}  // namespace

std::string NormalizeFolderPath(const std::string& path) {
  const PathParts split = SplitPath(path);
  std::string out;
  for (size_t i = 0; i < split.parts.size(); ++i) {
    if (i > 0 && split.parts[i - 1] != kUncMarker) out += '\\';
    out += split.parts[i];
  }
  return out;
}

bool IsRefusedTree(const std::string& path, const ProtectedFolders& protectedFolders) {
  const PathParts candidate = SplitPath(path);
  if (!candidate.absolute || IsRootOfVolume(candidate) || IsOnAdministrativeShare(candidate))
    return true;
  for (const std::string& folder : protectedFolders.folders) {
    const PathParts guarded = SplitPath(folder);
    if (guarded.absolute && IsAtOrAbove(candidate, guarded.parts)) return true;
  }
  for (const std::string& root : protectedFolders.childrenOf) {
    const PathParts parent = SplitPath(root);
    if (!parent.absolute || IsRootOfVolume(parent)) continue;  // never "every top folder"
    std::vector<std::string> pattern = parent.parts;
    pattern.push_back("*");
    if (IsAtOrAbove(candidate, pattern)) return true;
    for (const std::string& below : protectedFolders.belowChildren) {
      std::vector<std::string> deeper = pattern;
      const PathParts relative = SplitPath(below);
      if (relative.absolute) continue;
      deeper.insert(deeper.end(), relative.parts.begin(), relative.parts.end());
      if (IsAtOrAbove(candidate, deeper)) return true;
    }
  }
  return false;
}
