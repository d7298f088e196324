#pragma once
// Names from disk and the registry are UTF-16 and may hold any unit, even a lone surrogate.
// The rules that judge paths by their spelling are portable code working on bytes; they get
// such names as WTF-8: UTF-8 that also spells a lone surrogate, so that the conversion is
// exact both ways. Separators, dots and blanks stay single ASCII bytes, which no multi-byte
// sequence contains.
#include <cstddef>
#include <string>

// The WTF-8 form of `count` UTF-16 units.
std::string Wtf8FromUtf16(const char16_t* units, size_t count);
inline std::string Wtf8FromUtf16(const std::u16string& text) {
  return Wtf8FromUtf16(text.data(), text.size());
}

// The UTF-16 units of a WTF-8 text; a byte that starts no valid sequence becomes U+FFFD.
std::u16string Utf16FromWtf8(const std::string& text);

// How many UTF-16 units a WTF-8 text takes (what a buffer of characters must hold).
inline size_t Utf16Length(const std::string& text) {
  size_t units = 0;
  for (unsigned char c : text) {
    if ((c & 0xC0) != 0x80) ++units;  // every sequence starts with one such byte
    if (c >= 0xF0) ++units;           // four bytes: a surrogate pair
  }
  return units;
}
