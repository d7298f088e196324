#include "engine/run/gone_items.h"

#include "engine/text/text_utils.h"

namespace {

// True when `name` or one of its ancestors (the parts before a backslash) is in `set`.
bool ThisOrAboveIn(const std::set<std::string>& set, const std::string& name) {
  if (set.empty()) return false;
  for (size_t end = name.find('\\'); end != std::string::npos; end = name.find('\\', end + 1))
    if (set.count(name.substr(0, end))) return true;
  return set.count(name) != 0;
}

// "classes" and the rest of the path when `lowered` starts with `prefix` ("software\classes")
// as a whole name.
bool StripClassesPrefix(const std::string& lowered, std::string& rest) {
  static const std::string prefix = "software\\classes";
  if (lowered.compare(0, prefix.size(), prefix) != 0) return false;
  if (lowered.size() == prefix.size()) {
    rest.clear();
    return true;
  }
  if (lowered[prefix.size()] != '\\') return false;
  rest = lowered.substr(prefix.size());
  return true;
}

}  // namespace

std::string CanonicalKeyName(const std::string& rootName, const std::string& subKey) {
  const std::string root = ToLowerCopy(rootName);
  const std::string path = WithoutTrailingBackslashes(ToLowerCopy(subKey));
  std::string rest;
  if (root == "hkey_classes_root") return path.empty() ? "classes" : "classes\\" + path;
  if ((root == "hkey_local_machine" || root == "hkey_current_user") &&
      StripClassesPrefix(path, rest))
    return "classes" + rest;
  return path.empty() ? root : root + "\\" + path;
}

void GoneItems::MarkKey(const std::string& rootName, const std::string& subKey) {
  keys_.insert(CanonicalKeyName(rootName, subKey));
}

void GoneItems::MarkValue(const std::string& rootName, const std::string& subKey,
                          const std::string& name) {
  values_.insert(CanonicalKeyName(rootName, subKey) + '\n' + ToLowerCopy(name));
}

void GoneItems::MarkPath(const std::string& path) {
  paths_.insert(WithoutTrailingBackslashes(ToLowerCopy(path)));
}

bool GoneItems::IsKeyGone(const std::string& rootName, const std::string& subKey) const {
  return ThisOrAboveIn(keys_, CanonicalKeyName(rootName, subKey));
}

bool GoneItems::IsValueGone(const std::string& rootName, const std::string& subKey,
                            const std::string& name) const {
  const std::string key = CanonicalKeyName(rootName, subKey);
  return ThisOrAboveIn(keys_, key) || values_.count(key + '\n' + ToLowerCopy(name)) != 0;
}

bool GoneItems::IsPathGone(const std::string& path) const {
  return ThisOrAboveIn(paths_, WithoutTrailingBackslashes(ToLowerCopy(path)));
}

void GoneItems::MarkMade(const std::string& fullName, bool withParents) {
  const std::string lowered = ToLowerCopy(fullName);
  if (withParents)
    for (size_t end = lowered.find('\\'); end != std::string::npos; end = lowered.find('\\', end + 1))
      if (end) made_.insert(lowered.substr(0, end));
  made_.insert(lowered);
}

bool GoneItems::IsMade(const std::string& fullName) const { return made_.count(ToLowerCopy(fullName)) != 0; }
