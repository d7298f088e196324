#pragma once
// Conversions between the program's narrow strings (ANSI code page) and the wide strings
// that COM and a few wide-only calls take.
#include <string>

std::wstring Widen(const std::string& text);
std::string Narrow(const std::wstring& text);
