#pragma once
// What a preview counts as deleted by the steps before: registry keys and values by their full
// names, files and folders by their paths. A preview deletes nothing, so without this a later
// step would find again what an earlier one would already have deleted.
#include <set>
#include <string>

class GoneItems {
 public:
  // `rootName` is the printed name of a registry root ("HKEY_CLASSES_ROOT", ...).
  void MarkKey(const std::string& rootName, const std::string& subKey);
  void MarkValue(const std::string& rootName, const std::string& subKey, const std::string& name);
  void MarkPath(const std::string& path);

  // A key is gone when it or a key above it is; HKEY_CLASSES_ROOT and its machine and user
  // halves (Software\Classes under HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER) are one.
  bool IsKeyGone(const std::string& rootName, const std::string& subKey) const;
  bool IsValueGone(const std::string& rootName, const std::string& subKey,
                   const std::string& name) const;
  // A file or folder is gone when it or a folder above it is. Case is ignored; trailing
  // backslashes do not count.
  bool IsPathGone(const std::string& path) const;

  void Clear() {
    keys_.clear();
    values_.clear();
    paths_.clear();
  }

 private:
  std::set<std::string> keys_;    // canonical key names
  std::set<std::string> values_;  // canonical key name, '\n', lower-cased value name
  std::set<std::string> paths_;   // lower-cased paths without trailing backslashes
};

// The name under which a key is kept: root and path lower-cased, classes keys under one name.
std::string CanonicalKeyName(const std::string& rootName, const std::string& subKey);
