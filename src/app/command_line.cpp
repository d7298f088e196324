#include "app/command_line.h"

#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/backup/backup_names.h"

namespace {

bool IsDelimiter(char c) { return c == '-' || c == '/' || c == ' '; }

// Walks the tokens of a command line in place; only the token at hand is copied.
class Tokenizer {
 public:
  explicit Tokenizer(const char* line) : p_(line ? line : "") {}

  // Moves to the next token; false when none is left.
  bool Next() {
    while (*p_ && IsDelimiter(*p_)) ++p_;
    if (!*p_) return false;
    start_ = p_;
    while (*p_ && !IsDelimiter(*p_)) ++p_;
    length_ = static_cast<size_t>(p_ - start_);
    return true;
  }

  const char* start() const { return start_; }
  size_t length() const { return length_; }

  // The token as a C string (held until the next call).
  const char* Text() {
    text_.assign(start_, length_);
    return text_.c_str();
  }

 private:
  const char* p_;
  const char* start_ = nullptr;
  size_t length_ = 0;
  std::string text_;
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool AreDigits(const char* s, size_t length) {
  for (size_t i = 0; i < length; ++i)
    if (!IsDigit(s[i])) return false;
  return true;
}

// The time part of a backup's name: six digits, then "." and digits when it has a number.
bool IsBackupTimeToken(const char* s, size_t length) {
  if (length < 6 || !AreDigits(s, 6)) return false;
  return length == 6 || (length > 7 && s[6] == '.' && AreDigits(s + 7, length - 7));
}

// "20261209-101500" arrives split at the hyphen: an eight-digit token followed by the time
// part. On a match both are used up and `name` is set; otherwise nothing is. A name longer
// than any backup's is none.
bool TakeBackupName(Tokenizer& tokens, std::string& name) {
  Tokenizer after = tokens;
  if (tokens.length() != 8 || !AreDigits(tokens.start(), 8) || !after.Next() ||
      !IsBackupTimeToken(after.start(), after.length()) || 9 + after.length() > kMaxBackupNameLength)
    return false;
  name.assign(tokens.start(), 8);
  name += '-';
  name.append(after.start(), after.length());
  tokens = after;
  return true;
}

// The word as it was typed, from the token at hand up to the next blank: "C:\x/y" or
// "2026-12-09", not only the part before a "/" or "-".
std::string WordAt(const Tokenizer& tokens) {
  const char* end = tokens.start();
  while (*end && *end != ' ') ++end;
  return std::string(tokens.start(), static_cast<size_t>(end - tokens.start()));
}

// Value of the leading decimal digits, modulo 2^32.
int32_t LeadingNumber(const char* s, size_t length) {
  uint32_t value = 0;
  for (size_t i = 0; i < length && IsDigit(s[i]); ++i) value = value * 10u + static_cast<uint32_t>(s[i] - '0');
  return static_cast<int32_t>(value);
}

enum Keyword { KW_NONE, KW_UNREGSERVER, KW_REGSERVER, KW_AUTOMATION, KW_USAGE, KW_LOG,
               KW_VERBOSE, KW_SILENT, KW_PEL, KW_ORV, KW_LAUNCHER, KW_PREVIEW, KW_BACKUP,
               KW_RESTORE, KW_CODES };

struct KeywordRow {
  const char* text;
  Keyword keyword;
};

// Compared in this order; the first match wins.
const KeywordRow kKeywords[] = {
    {"unregserver", KW_UNREGSERVER}, {"regserver", KW_REGSERVER}, {"automation", KW_AUTOMATION},
    {"?", KW_USAGE}, {"l", KW_LOG}, {"v", KW_VERBOSE}, {"s", KW_SILENT}, {"q", KW_SILENT},
    {"pel", KW_PEL}, {"orv", KW_ORV}, {"ql", KW_LAUNCHER}, {"preview", KW_PREVIEW},
    {"backup", KW_BACKUP}, {"restore", KW_RESTORE}, {"codes", KW_CODES},
};

Keyword Classify(const char* token, KeywordCompare compare) {
  if (!*token) return KW_NONE;
  for (const KeywordRow& row : kKeywords)
    if (compare(token, row.text) == 0) return row.keyword;
  return KW_NONE;
}

}  // namespace

int CompareAsciiNoCase(const char* a, const char* b) {
  for (;; ++a, ++b) {
    unsigned char ca = static_cast<unsigned char>(*a), cb = static_cast<unsigned char>(*b);
    if (ca >= 'A' && ca <= 'Z') ca = static_cast<unsigned char>(ca - 'A' + 'a');
    if (cb >= 'A' && cb <= 'Z') cb = static_cast<unsigned char>(cb - 'A' + 'a');
    if (ca != cb) return ca < cb ? -1 : 1;
    if (!ca) return 0;
  }
}

ParseOutcome ParseCommandLineText(const char* line, RunSettings& settings, KeywordCompare compare) {
  Tokenizer tokens(line);
  bool pending = tokens.Next();
  while (pending) {
    Keyword keyword = Classify(tokens.Text(), compare);
    pending = tokens.Next();
    switch (keyword) {
      case KW_UNREGSERVER: return ParseOutcome::UnregServer;
      case KW_REGSERVER: return ParseOutcome::RegServer;
      case KW_USAGE: return ParseOutcome::Usage;
      case KW_AUTOMATION: settings.automation = true; break;
      case KW_LOG: settings.logEnabled = true; break;
      case KW_VERBOSE: settings.verbose = true; break;
      case KW_SILENT: settings.silent = true; break;
      case KW_LAUNCHER: settings.removeLauncher = true; break;
      case KW_PREVIEW: settings.preview = true; break;
      case KW_BACKUP: settings.backup = true; break;
      case KW_RESTORE:
        settings.restore = true;
        // A word that is neither a keyword nor a backup's name is refused, never passed over:
        // the newest backup is not what someone who named another one asked for.
        if (!pending || Classify(tokens.Text(), compare) != KW_NONE) break;
        if (TakeBackupName(tokens, settings.restoreName)) {
          pending = tokens.Next();
        } else {
          if (settings.restoreRefused.empty()) settings.restoreRefused = WordAt(tokens);
          pending = tokens.Next();
        }
        break;
      case KW_CODES: settings.codes = true; break;
      case KW_PEL:
      case KW_ORV: {
        int32_t& word = keyword == KW_PEL ? settings.pelOptions : settings.orvOptions;
        if (pending && IsDigit(tokens.start()[0])) {
          word = LeadingNumber(tokens.start(), tokens.length());
          pending = tokens.Next();  // the number is used up
        } else {
          word = -1;  // the token, if any, is examined in its own right
        }
        break;
      }
      case KW_NONE: break;
    }
  }
  return ParseOutcome::Run;
}
