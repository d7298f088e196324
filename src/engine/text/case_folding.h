#pragma once
// Comparisons of the program's own names (keywords, key names, paths it knows) that ignore the
// case of the letters A to Z only, for narrow, UTF-16 and char16_t texts alike: other letters
// are compared as they are. (What Windows itself folds, in every alphabet, system_roots.h's
// FoldCase does.)
#include <cstddef>
#include <string>

template <typename Char>
Char LowerAscii(Char c) {
  return (c >= Char('A') && c <= Char('Z')) ? static_cast<Char>(c - Char('A') + Char('a')) : c;
}

// A copy of `text` with the letters A to Z lowered.
template <typename Text>
Text LowerAsciiLetters(Text text) {
  for (auto& c : text) c = LowerAscii(c);
  return text;
}

// True when the `length` characters at `a` and at `b` are the same but for the case of A to Z.
template <typename Char>
bool SameNoCase(const Char* a, const Char* b, size_t length) {
  for (size_t i = 0; i < length; ++i)
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  return true;
}

template <typename Text>
bool EqualsNoCase(const Text& a, const Text& b) {
  return a.size() == b.size() && SameNoCase(a.data(), b.data(), a.size());
}
template <typename Char>
bool EqualsNoCase(const std::basic_string<Char>& a, const Char* b) {
  return EqualsNoCase(a, std::basic_string<Char>(b));
}

// True when `text` begins with `prefix` at `at`.
template <typename Text>
bool StartsWithNoCase(const Text& text, const Text& prefix, size_t at = 0) {
  return at <= text.size() && text.size() - at >= prefix.size() && SameNoCase(text.data() + at, prefix.data(), prefix.size());
}
template <typename Char>
bool StartsWithNoCase(const std::basic_string<Char>& text, const Char* prefix, size_t at = 0) {
  return StartsWithNoCase(text, std::basic_string<Char>(prefix), at);
}

// True when `pattern` occurs in `text`; an empty pattern is always found.
template <typename Text>
bool ContainsNoCase(const Text& text, const Text& pattern) {
  if (pattern.size() > text.size()) return false;
  for (size_t at = 0; at + pattern.size() <= text.size(); ++at)
    if (SameNoCase(text.data() + at, pattern.data(), pattern.size())) return true;
  return false;
}
template <typename Char>
bool ContainsNoCase(const std::basic_string<Char>& text, const Char* pattern) {
  return ContainsNoCase(text, std::basic_string<Char>(pattern));
}
