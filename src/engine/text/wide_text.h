#pragma once
// Conversions at the edges of the program. Names from disk and the registry are UTF-16 from
// the wide calls on; the program's own texts (catalogues, fixed paths, the log's labels) are
// ANSI and are widened where they meet such names.
#include <string>

// The program's own ANSI text as UTF-16.
std::wstring Widen(const std::string& text);

// The ANSI form of a UTF-16 text the code page spells exactly; false for any other (a "?" put
// in place of a character would name something else). For the ANSI calls of Windows 9x.
bool ExactAnsi(const std::wstring& text, std::string& ansi);

// True when the ANSI code page spells `text` exactly (ExactAnsi).
bool FitsCodePage(const std::wstring& text);

// A name for the log, the failure list and the boxes, in the ANSI code page. A character the
// code page cannot spell is written as "?", never as a look-alike ("best fit"), so that a
// line can never spell a path other than the one acted on.
std::string LogText(const std::wstring& text);

// UTF-16 text as the bytes the registry's wide calls take and give, and back (an odd last
// byte is no character and is dropped).
std::string BytesOfUtf16(const std::wstring& text);
std::string BytesOfUtf16(const std::u16string& text);
std::wstring WideOfBytes(const std::string& bytes);
std::u16string Utf16OfBytes(const std::string& bytes);

// The exact WTF-8 form of a UTF-16 name, for the rules that judge paths by their spelling,
// and back.
std::string Utf8Of(const std::wstring& text);
std::wstring WideOfUtf8(const std::string& text);
