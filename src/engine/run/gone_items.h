#pragma once
// What a run that changes nothing counts as done: for a preview, what the steps before would
// have deleted (registry keys and values by their full names, files and folders by their
// paths; without this a later step would find again what an earlier one would already have
// deleted); for a restore's look, what it would have made.
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

  // What a restore's look counts as made, by full name ("HKEY_CURRENT_USER\\Software\\x",
  // "C:\\Users\\x"), case ignored: a key with every key above it (making a key makes
  // them), a folder alone.
  void MarkMade(const std::string& fullName, bool withParents);
  bool IsMade(const std::string& fullName) const;

 private:
  std::set<std::string> keys_;    // canonical key names
  std::set<std::string> values_;  // canonical key name, '\n', lower-cased value name
  std::set<std::string> paths_;   // lower-cased paths without trailing backslashes
  std::set<std::string> made_;    // lower-cased full names
};

// The name under which a key is kept: root and path lower-cased, classes keys under one name.
std::string CanonicalKeyName(const std::string& rootName, const std::string& subKey);
