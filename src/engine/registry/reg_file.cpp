#include "engine/registry/reg_file.h"

#include <cstdio>

const char kRegFileHeader[] = "REGEDIT4\r\n";

namespace {

const uint32_t kTypeString = 1;  // REG_SZ
const uint32_t kTypeBinary = 3;  // REG_BINARY
const uint32_t kTypeDword = 4;   // REG_DWORD
const size_t kHexLineLength = 76;  // where regedit wraps hex data
const char kLeftComment[] = ";purgon:left=hex:";
const char kWideComment[] = ";purgon:wide=hex:";
const char kWideNameComment[] = ";purgon:widename=hex:";
const char kWideKeyComment[] = ";purgon:widekey=hex:";
const char kOperationsOnlyComment[] = ";purgon:operations-only";

bool HasLineBreak(const std::string& text) { return text.find_first_of("\r\n") != std::string::npos; }

std::string Quoted(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out + '"';
}

// A string the quoted form gives back byte for byte: one terminating zero, none inside, and
// no line break.
bool IsPlainString(const std::string& data) {
  return !data.empty() && data.back() == '\0' && data.find('\0') == data.size() - 1 &&
         !HasLineBreak(data);
}

std::string HexPrefix(uint32_t type) {
  if (type == kTypeBinary) return "hex:";
  char prefix[24];
  std::snprintf(prefix, sizeof(prefix), "hex(%x):", static_cast<unsigned>(type));
  return prefix;
}

// The bytes as "xx,xx,...", wrapped like regedit: a line ends after a comma with "\", and the
// next begins with two blanks.
void AppendHex(std::string& line, const std::string& data, bool wrap = true) {
  size_t lineStart = 0;
  for (size_t i = 0; i < data.size(); ++i) {
    char hex[4];
    std::snprintf(hex, sizeof(hex), "%02x", static_cast<unsigned char>(data[i]));
    line += hex;
    if (i + 1 == data.size()) break;
    line += ',';
    if (wrap && line.size() - lineStart > kHexLineLength) {
      line += "\\\r\n  ";
      lineStart = line.size() - 2;
    }
  }
}

// ---- reading ----

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads 1 to `maxDigits` hex digits at `pos`.
bool ReadHexNumber(const std::string& s, size_t& pos, size_t maxDigits, uint32_t& value) {
  value = 0;
  size_t digits = 0;
  while (pos < s.size() && HexDigit(s[pos]) >= 0) {
    if (++digits > maxDigits) return false;
    value = value * 16 + static_cast<uint32_t>(HexDigit(s[pos++]));
  }
  return digits > 0;
}

// A quoted string at `pos` (on its opening quote): only \\ and \" are escapes.
bool ReadQuoted(const std::string& s, size_t& pos, std::string& out) {
  if (pos >= s.size() || s[pos] != '"') return false;
  out.clear();
  for (++pos; pos < s.size(); ++pos) {
    char c = s[pos];
    if (c == '"') {
      ++pos;
      return true;
    }
    if (c == '\\') {
      if (pos + 1 >= s.size() || (s[pos + 1] != '\\' && s[pos + 1] != '"')) return false;
      c = s[++pos];
    }
    out += c;
  }
  return false;
}

bool ReadHexBytes(const std::string& s, size_t pos, std::string& out) {
  out.clear();
  while (pos < s.size() && (s[pos] == ' ' || s[pos] == '\t')) ++pos;
  if (pos == s.size()) return true;  // no data at all
  for (;;) {
    // Exactly two digits a byte: "03,0" is a byte cut short, not a 0.
    uint32_t byte = 0;
    const size_t start = pos;
    if (!ReadHexNumber(s, pos, 2, byte) || pos - start != 2) return false;
    out += static_cast<char>(byte);
    while (pos < s.size() && (s[pos] == ' ' || s[pos] == '\t')) ++pos;
    if (pos == s.size()) return true;
    if (s[pos] != ',') return false;
    ++pos;
    while (pos < s.size() && (s[pos] == ' ' || s[pos] == '\t')) ++pos;
    if (pos == s.size()) return true;  // a trailing comma
  }
}

bool OnlyBlanksFrom(const std::string& s, size_t pos) {
  for (; pos < s.size(); ++pos)
    if (s[pos] != ' ' && s[pos] != '\t') return false;
  return true;
}

bool StartsWith(const std::string& s, size_t pos, const char* prefix) {
  return s.compare(pos, std::char_traits<char>::length(prefix), prefix) == 0;
}

// `"name"=data` or `@=data`.
bool ParseValueLine(const std::string& line, RegFileValue& value) {
  size_t pos = 0;
  if (line[0] == '@') {
    value.name.clear();
    pos = 1;
  } else if (!ReadQuoted(line, pos, value.name) || value.name.empty()) {
    return false;  // an empty quoted name is written "@"
  }
  if (pos >= line.size() || line[pos] != '=') return false;
  ++pos;
  if (pos < line.size() && line[pos] == '"') {
    value.type = kTypeString;
    if (!ReadQuoted(line, pos, value.data) || !OnlyBlanksFrom(line, pos)) return false;
    value.data += '\0';
    return true;
  }
  if (StartsWith(line, pos, "dword:")) {
    pos += 6;
    uint32_t number = 0;
    if (!ReadHexNumber(line, pos, 8, number) || !OnlyBlanksFrom(line, pos)) return false;
    value.type = kTypeDword;
    value.data.clear();
    for (int i = 0; i < 4; ++i) value.data += static_cast<char>((number >> (8 * i)) & 0xFF);
    return true;
  }
  if (StartsWith(line, pos, "hex:")) {
    value.type = kTypeBinary;
    return ReadHexBytes(line, pos + 4, value.data);
  }
  if (StartsWith(line, pos, "hex(")) {
    pos += 4;
    if (!ReadHexNumber(line, pos, 8, value.type)) return false;
    if (!StartsWith(line, pos, "):")) return false;
    return ReadHexBytes(line, pos + 2, value.data);
  }
  return false;
}

// True for a value line whose data is hex: only such a line can go on in the next one.
bool IsHexValueLine(const std::string& line) {
  size_t pos = 0;
  std::string name;
  if (line[0] == '@')
    pos = 1;
  else if (!ReadQuoted(line, pos, name))
    return false;
  return StartsWith(line, pos, "=hex");
}

// The file's logical lines: line ends are CR LF or LF, and a line that ends in a backslash
// after hex data goes on in the next one (whose leading blanks are dropped).
std::vector<std::pair<std::string, size_t>> LogicalLines(const std::string& text) {
  std::vector<std::pair<std::string, size_t>> lines;
  std::string current;
  bool continued = false;
  size_t number = 0, start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    ++number;
    if (continued) {
      const size_t first = line.find_first_not_of(" \t");
      line = first == std::string::npos ? std::string() : line.substr(first);
    }
    current += line;
    continued = !current.empty() && current.back() == '\\' && IsHexValueLine(current);
    if (continued) {
      current.pop_back();
    } else {
      lines.emplace_back(current, number);
      current.clear();
    }
    if (end == text.size()) break;
    start = end + 1;
  }
  if (continued) lines.emplace_back(current, number);
  return lines;
}

}  // namespace

bool FormatRegKeyLine(const std::string& path, std::string& out) {
  if (path.empty() || HasLineBreak(path) || path.find('\0') != std::string::npos) return false;
  out = "\r\n[" + path + "]\r\n";
  return true;
}

bool FormatRegValueLine(const RegFileValue& value, std::string& out) {
  if (HasLineBreak(value.name) || value.name.find('\0') != std::string::npos) return false;
  out = value.name.empty() ? "@=" : Quoted(value.name) + "=";
  if (value.type == kTypeString && IsPlainString(value.data)) {
    out += Quoted(value.data.substr(0, value.data.size() - 1));
  } else if (value.type == kTypeDword && value.data.size() == 4) {
    uint32_t number = 0;
    for (int i = 3; i >= 0; --i) number = number * 256 + static_cast<unsigned char>(value.data[i]);
    char text[16];
    std::snprintf(text, sizeof(text), "dword:%08x", static_cast<unsigned>(number));
    out += text;
  } else {
    out += HexPrefix(value.type);
    AppendHex(out, value.data);
  }
  out += "\r\n";
  return true;
}

namespace {

std::string CommentLine(const char* prefix, const std::string& bytes) {
  std::string line = prefix;
  AppendHex(line, bytes, false);
  return line + "\r\n";
}

// Reads the comment line that belongs to the value before it; false for a broken or repeated
// one. Other comments are no business of this reader.
bool ReadValueComment(const std::string& line, RegFileValue& value, bool& isOurs) {
  if (line == kOperationsOnlyComment) {
    isOurs = true;
    if (value.operationsOnly) return false;
    value.operationsOnly = true;
    return true;
  }
  struct Comment {
    const char* prefix;
    bool RegFileValue::*has;
    std::string RegFileValue::*bytes;
  };
  static const Comment kComments[] = {
      {kLeftComment, &RegFileValue::hasLeft, &RegFileValue::left},
      {kWideComment, &RegFileValue::hasWide, &RegFileValue::wide},
      {kWideNameComment, &RegFileValue::hasWideName, &RegFileValue::wideName}};
  for (const Comment& comment : kComments) {
    if (!StartsWith(line, 0, comment.prefix)) continue;
    isOurs = true;
    if (value.*comment.has) return false;
    value.*comment.has = true;
    return ReadHexBytes(line, std::char_traits<char>::length(comment.prefix), value.*comment.bytes);
  }
  isOurs = false;
  return true;
}

}  // namespace

std::string FormatRegLeftLine(const std::string& left) { return CommentLine(kLeftComment, left); }
std::string FormatRegWideLine(const std::string& wide) { return CommentLine(kWideComment, wide); }
std::string FormatRegWideNameLine(const std::string& wideName) {
  return CommentLine(kWideNameComment, wideName);
}
std::string FormatRegOperationsOnlyLine() { return std::string(kOperationsOnlyComment) + "\r\n"; }
std::string FormatRegWideKeyLine(const std::string& widePath) {
  return CommentLine(kWideKeyComment, widePath);
}

bool ParseRegFile(const std::string& text, std::vector<RegFileKey>& keys, size_t* errorLine) {
  keys.clear();
  bool header = false;
  for (const auto& entry : LogicalLines(text)) {
    const std::string& line = entry.first;
    auto fail = [&]() {
      if (errorLine) *errorLine = entry.second;
      return false;
    };
    if (header && !keys.empty() && keys.back().values.empty() &&
        StartsWith(line, 0, kWideKeyComment)) {
      RegFileKey& key = keys.back();
      if (key.hasWidePath ||
          !ReadHexBytes(line, std::char_traits<char>::length(kWideKeyComment), key.widePath))
        return fail();
      key.hasWidePath = true;
      continue;
    }
    if (header && !keys.empty() && !keys.back().values.empty()) {
      bool isOurs = false;
      if (!ReadValueComment(line, keys.back().values.back(), isOurs)) return fail();
      if (isOurs) continue;
    }
    if (line.empty() || line[0] == ';') continue;
    if (!header) {
      if (line != "REGEDIT4") return fail();
      header = true;
      continue;
    }
    if (line[0] == '[') {
      const size_t close = line.rfind(']');
      if (close == std::string::npos || close < 2 || line[1] == '-' ||
          !OnlyBlanksFrom(line, close + 1))
        return fail();
      RegFileKey key;
      key.path = line.substr(1, close - 1);
      keys.push_back(key);
      continue;
    }
    RegFileValue value;
    if (keys.empty() || !ParseValueLine(line, value)) return fail();
    keys.back().values.push_back(value);
  }
  if (!header) {
    if (errorLine) *errorLine = 1;
    return false;
  }
  return true;
}
