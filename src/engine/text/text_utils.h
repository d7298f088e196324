#pragma once
#include <string>

// A copy of `text` without any double-quote character; nothing else changes.
std::string StripQuotes(const std::string& text);

// A copy of `text` up to its first zero byte with only the letters A to Z lowered.
std::string ToLowerCopy(const std::string& text);

// What becomes of the backslash of a drive root ("C:\\") when trailing backslashes go.
enum class RootBackslash { Drop, Keep };

// `path` without the backslashes at its end: all of them ("C:\\" gives "C:"), or with Keep
// all but a drive root's own. For the program's narrow texts and for UTF-16 paths alike.
template <typename Text>
Text WithoutTrailingBackslashes(Text path, RootBackslash root = RootBackslash::Drop) {
  const size_t floor = root == RootBackslash::Keep && path.size() >= 3 && path[1] == ':' ? 3 : 0;
  while (path.size() > floor && path.back() == '\\') path.pop_back();
  return path;
}

// The drive and folder of a path, up to and including its last "\\" or "/" ("" when none).
template <typename Text>
Text FolderOfPath(const Text& path) {
  const size_t slash = path.find_last_of(Text(1, '\\') + Text(1, '/'));
  return slash == Text::npos ? Text() : path.substr(0, slash + 1);
}
inline std::string FolderOfPath(const char* path) { return FolderOfPath(std::string(path)); }
