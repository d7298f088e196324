#pragma once
#include <string>

// A copy of `text` without any double-quote character; nothing else changes.
std::string StripQuotes(const std::string& text);

// A copy of `text` up to its first zero byte with only the letters A to Z lowered.
std::string ToLowerCopy(const std::string& text);

// `path` without the backslashes at its end (all of them: "C:\\" gives "C:").
std::string WithoutTrailingBackslashes(const std::string& path);

// True when `pattern` occurs in `text`, ignoring case; an empty pattern is always found.
bool ContainsNoCase(const std::string& text, const std::string& pattern);
