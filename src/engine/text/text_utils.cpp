#include "engine/text/text_utils.h"

#include <cctype>

std::string StripQuotes(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text)
    if (c != '"') out += c;
  return out;
}

std::string ToLowerCopy(const std::string& text) {
  std::string out(text.c_str());
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

bool ContainsNoCase(const std::string& text, const std::string& pattern) {
  return ToLowerCopy(text).find(ToLowerCopy(pattern)) != std::string::npos;
}


