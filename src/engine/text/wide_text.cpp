#include "engine/text/wide_text.h"

#include <windows.h>

#include "engine/text/utf8_text.h"

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 code units");

std::wstring Widen(const std::string& text) {
  if (text.empty()) return std::wstring();
  const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0);
  if (length <= 0) return std::wstring();
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
  return wide;
}

bool ExactAnsi(const std::wstring& text, std::string& ansi) {
  ansi.clear();
  if (text.empty()) return true;
  // No flags and no default character, which every code page takes (Windows 9x's, UTF-8). A
  // character the code page lacks, or spells by a look-alike ("best fit", which sets no flag),
  // does not come back as it was.
  const int units = static_cast<int>(text.size());
  const int length = WideCharToMultiByte(CP_ACP, 0, text.data(), units, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return false;
  ansi.assign(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.data(), units, &ansi[0], length, nullptr, nullptr);
  if (Widen(ansi) == text) return true;
  ansi.clear();
  return false;
}

bool FitsCodePage(const std::wstring& text) {
  std::string ansi;
  return ExactAnsi(text, ansi);
}

std::string LogText(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int units = static_cast<int>(text.size());
  // Windows 9x knows no WC_NO_BEST_FIT_CHARS (there every name came through the code page
  // anyway), and a UTF-8 code page takes neither flags nor a default character (it spells all).
  const struct {
    DWORD flags;
    const char* unspellable;
  } attempts[] = {{WC_NO_BEST_FIT_CHARS, "?"}, {0, "?"}, {0, nullptr}};
  for (const auto& attempt : attempts) {
    const int length = WideCharToMultiByte(CP_ACP, attempt.flags, text.data(), units, nullptr, 0,
                                           attempt.unspellable, nullptr);
    if (length <= 0) continue;
    std::string narrow(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, attempt.flags, text.data(), units, &narrow[0], length,
                        attempt.unspellable, nullptr);
    return narrow;
  }
  return std::string(text.size(), '?');
}

std::string Utf8Of(const std::wstring& text) {
  return Wtf8FromUtf16(reinterpret_cast<const char16_t*>(text.data()), text.size());
}

std::wstring WideOfUtf8(const std::string& text) {
  const std::u16string units = Utf16FromWtf8(text);
  return std::wstring(reinterpret_cast<const wchar_t*>(units.data()), units.size());
}

std::string BytesOfUtf16(const std::wstring& text) {
  return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

std::string BytesOfUtf16(const std::u16string& text) {
  return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(char16_t));
}

std::wstring WideOfBytes(const std::string& bytes) {
  return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
}

std::u16string Utf16OfBytes(const std::string& bytes) {
  return std::u16string(reinterpret_cast<const char16_t*>(bytes.data()), bytes.size() / sizeof(char16_t));
}
