#include "engine/text/text_utils.h"
#include "engine/text/case_folding.h"

#include <cctype>

std::string StripQuotes(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text)
    if (c != '"') out += c;
  return out;
}

std::string ToLowerCopy(const std::string& text) { return LowerAsciiLetters(std::string(text.c_str())); }


