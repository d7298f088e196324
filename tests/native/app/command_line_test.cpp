#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "app/command_line.h"

namespace {

struct Parsed {
  RunSettings settings;
  ParseOutcome outcome;
};

Parsed Parse(const std::string& line) {
  Parsed p;
  p.outcome = ParseCommandLineText(line.c_str(), p.settings, CompareAsciiNoCase);
  return p;
}

TEST(ParseCommandLine, ScriptedRunSetsWordsAndFlags) {
  Parsed p = Parse("C:\\tools\\purgon.exe /pel 126 /orv 18 /l /s");
  EXPECT_EQ(p.outcome, ParseOutcome::Run);
  EXPECT_EQ(p.settings.pelOptions, 126);
  EXPECT_EQ(p.settings.orvOptions, 18);
  EXPECT_TRUE(p.settings.logEnabled);
  EXPECT_TRUE(p.settings.silent);
  EXPECT_FALSE(p.settings.verbose);
  EXPECT_FALSE(p.settings.removeLauncher);
}

TEST(ParseCommandLine, PrefixCharactersAreDelimitersAndCaseIsIgnored) {
  Parsed p = Parse("purgon -S v /QL q");
  EXPECT_TRUE(p.settings.silent);
  EXPECT_TRUE(p.settings.verbose);
  EXPECT_TRUE(p.settings.removeLauncher);
  EXPECT_TRUE(Parse("x /AUTOMATION").settings.automation);
}

TEST(ParseCommandLine, RunKeywordsInAnyCaseAndPositionChangeNothingElse) {
  Parsed p = Parse("purgon -PREVIEW /pel /Backup restore /orv 4 codes");
  EXPECT_EQ(p.outcome, ParseOutcome::Run);
  EXPECT_TRUE(p.settings.preview && p.settings.backup && p.settings.restore && p.settings.codes);
  EXPECT_EQ(p.settings.pelOptions, -1);  // "backup" is examined in its own right
  EXPECT_EQ(p.settings.orvOptions, 4);
  Parsed plain = Parse("purgon /pel 1 /previews /backup2 codes? /l");
  EXPECT_FALSE(plain.settings.preview || plain.settings.backup || plain.settings.restore ||
               plain.settings.codes);
  EXPECT_TRUE(plain.settings.logEnabled);
}

// "/restore 20261209-101500" reaches the parser as "restore", "20261209", "101500": the
// hyphen is a delimiter like the blank.
TEST(ParseCommandLine, RestoreNamesABackupWhateverSplitsItsParts) {
  EXPECT_EQ(Parse("x /restore 20261209-101500").settings.restoreName, "20261209-101500");
  EXPECT_EQ(Parse("x /restore 20261209 101500.2").settings.restoreName, "20261209-101500.2");
  Parsed p = Parse("x -RESTORE 20261209/101500.12 s 20261209 101501");
  EXPECT_TRUE(p.settings.restore && p.settings.silent);  // the token after the name is read
  EXPECT_EQ(p.settings.restoreName, "20261209-101500.12");
  // The shape only: whether such a backup exists, or the date does, the restore judges.
  EXPECT_EQ(Parse("x /restore 99999999-999999.0").settings.restoreName, "99999999-999999.0");
  for (const char* other : {"x /restore", "x /restore 2026120-101500", "x /restore 20261209-10150",
                            "x /restore 20261209 101500x", "x /restore 20261209-101500.",
                            "x /restore 20261209-101500.2.restored", "x /restore /v 20261209 101500",
                            "x /pel 20261209-101500", "x 20261209-101500 /restore"}) {
    p = Parse(other);
    EXPECT_EQ(p.settings.restoreName, "") << other;
    EXPECT_EQ(p.settings.restore, std::string(other).find("restore") != std::string::npos) << other;
  }
  p = Parse("x /restore 20261209 /v");
  EXPECT_TRUE(p.settings.verbose);  // the tokens after a refused word are read in their own right
  EXPECT_EQ(Parse("x /restore /pel 20261209 101500").settings.pelOptions, 20261209);
}

// A word after "/restore" that is no keyword and no backup's name is refused as typed (up to
// the next blank), so that the run restores nothing rather than the newest backup; a keyword
// there is read as a keyword.
TEST(ParseCommandLine, RestoreRefusesAWordThatNamesNoBackup) {
  const std::string tooLong = "20261209-101500." + std::string(284, '7');
  const struct {
    std::string line;
    std::string refused;
  } kCases[] = {
      {"x /restore ..\\..\\x /l", "..\\..\\x"},
      {"x /restore C:\\somewhere", "C:\\somewhere"},
      {"x /restore C:/some/where -s", "C:/some/where"},
      {"x /restore 2026-12-09", "2026-12-09"},
      {"x /restore 20261209 /v", "20261209"},
      {"x /restore 20261209-101500.1234567890", "20261209-101500.1234567890"},
      {"x /restore " + tooLong, tooLong},
      {"x /restore foo /restore 20261209-101500", "foo"},
      {"x /restore /l /s /codes", ""},
      {"x /restore", ""},
      {"x /restore 20261209-101500.999999999", ""},
  };
  for (const auto& c : kCases) {
    const Parsed p = Parse(c.line.c_str());
    EXPECT_TRUE(p.settings.restore) << c.line;
    EXPECT_EQ(p.settings.restoreRefused, c.refused) << c.line;
  }
  EXPECT_TRUE(Parse("x /restore C:/some/where -s").settings.silent);
}

TEST(ParseCommandLine, MissingOrNonNumericNumberAsksForEveryStep) {
  EXPECT_EQ(Parse("x /pel").settings.pelOptions, -1);
  Parsed p = Parse("x /pel /v");
  EXPECT_EQ(p.settings.pelOptions, -1);
  EXPECT_TRUE(p.settings.verbose);  // the token after the keyword is examined in its own right
  p = Parse("x /pel x12 /orv s");
  EXPECT_EQ(p.settings.pelOptions, -1);
  EXPECT_EQ(p.settings.orvOptions, -1);
  EXPECT_TRUE(p.settings.silent);
}

TEST(ParseCommandLine, NumbersUseLeadingDigitsOnly) {
  EXPECT_EQ(Parse("x /PEL 12abc").settings.pelOptions, 12);
  EXPECT_EQ(Parse("x /pel -1").settings.pelOptions, 1);  // the hyphen is a delimiter
  EXPECT_EQ(Parse("x /orv 007").settings.orvOptions, 7);
  // A used-up number token is not examined again: "/pel 1 l" still sets the log.
  Parsed p = Parse("x /pel 0 /orv 0 l");
  EXPECT_EQ(p.settings.pelOptions, 0);
  EXPECT_EQ(p.settings.orvOptions, 0);
  EXPECT_TRUE(p.settings.logEnabled);
}

TEST(ParseCommandLine, HugeNumbersWrapModulo2To32) {
  EXPECT_EQ(Parse("x /pel 4294967295").settings.pelOptions, -1);
  EXPECT_EQ(Parse("x /pel 4294967298").settings.pelOptions, 2);
  // 10^50 mod 2^32, computed by repeated multiplication.
  uint32_t expected = 1;
  for (int i = 0; i < 50; ++i) expected *= 10u;
  EXPECT_EQ(Parse("x /orv 1" + std::string(50, '0')).settings.orvOptions,
            static_cast<int32_t>(expected));
}

TEST(ParseCommandLine, LaterWordOverwritesEarlier) {
  EXPECT_EQ(Parse("x /pel 3 /pel 5").settings.pelOptions, 5);
}

TEST(ParseCommandLine, EndingKeywordsStopParsing) {
  Parsed p = Parse("x /v /? /pel 3");
  EXPECT_EQ(p.outcome, ParseOutcome::Usage);
  EXPECT_EQ(p.settings.pelOptions, 0);
  EXPECT_EQ(Parse("x /l /regserver /unregserver").outcome, ParseOutcome::RegServer);
  EXPECT_EQ(Parse("x -UnRegServer").outcome, ParseOutcome::UnregServer);
}

TEST(ParseCommandLine, TabsAndQuotesAreOrdinaryCharacters) {
  Parsed p = Parse("x \"/s\" /l\t/v \"pel\" 3");
  EXPECT_FALSE(p.settings.silent);      // the tokens are "\"" and "s\""
  EXPECT_FALSE(p.settings.logEnabled);  // the token is "l\t", not "l"
  EXPECT_TRUE(p.settings.verbose);      // the slash after the tab starts "v"
  EXPECT_EQ(p.settings.pelOptions, 0);  // "\"pel\"" is no keyword
}

TEST(ParseCommandLine, ProgramPathPiecesCanBeKeywords) {
  // A folder named "s" in the program's own path makes the run silent.
  EXPECT_TRUE(Parse("C:\\x /s/purgon.exe").settings.silent);
  EXPECT_FALSE(Parse("\"C:\\Program Files\\purgon.exe\"").settings.silent);
}

TEST(ParseCommandLine, EmptyAndDelimiterOnlyLines) {
  EXPECT_EQ(Parse("").outcome, ParseOutcome::Run);
  Parsed p = Parse(std::string(100000, '/') + "pel" + std::string(100000, '-') + "9");
  EXPECT_EQ(p.settings.pelOptions, 9);
  RunSettings s;
  EXPECT_EQ(ParseCommandLineText(nullptr, s, CompareAsciiNoCase), ParseOutcome::Run);
}

// "q" is the other word for silent: alone, with nothing else that sets it.
TEST(ParseCommandLine, QAloneMakesTheRunSilent) {
  Parsed p = Parse("purgon.exe /q /ql");
  EXPECT_TRUE(p.settings.silent);
  EXPECT_TRUE(p.settings.removeLauncher);
  EXPECT_FALSE(p.settings.verbose);
  EXPECT_FALSE(Parse("purgon.exe /ql").settings.silent);
}

// The grammar written out again, as plainly as it reads, to judge the parser on lines no one
// would think of: split the whole line at the three delimiters, then walk the tokens.
Parsed ReferenceParse(const std::string& line) {
  // Each token with the word it begins: the line from there up to the next blank.
  std::vector<std::string> tokens, words;
  for (size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (c == '-' || c == '/' || c == ' ') continue;
    if (i == 0 || line[i - 1] == '-' || line[i - 1] == '/' || line[i - 1] == ' ') {
      tokens.emplace_back();
      words.push_back(line.substr(i, line.find(' ', i) == std::string::npos ? std::string::npos
                                                                            : line.find(' ', i) - i));
    }
    tokens.back() += c;
  }
  const auto isKeyword = [](std::string t) {
    for (char& c : t)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    for (const char* k : {"unregserver", "regserver", "automation", "?", "l", "v", "s", "q", "pel",
                          "orv", "ql", "preview", "backup", "restore", "codes"})
      if (t == k) return true;
    return false;
  };
  Parsed p;
  p.outcome = ParseOutcome::Run;
  for (size_t i = 0; i < tokens.size(); ++i) {
    std::string t = tokens[i];
    for (char& c : t)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (t == "unregserver") { p.outcome = ParseOutcome::UnregServer; return p; }
    if (t == "regserver") { p.outcome = ParseOutcome::RegServer; return p; }
    if (t == "?") { p.outcome = ParseOutcome::Usage; return p; }
    if (t == "automation") p.settings.automation = true;
    if (t == "l") p.settings.logEnabled = true;
    if (t == "v") p.settings.verbose = true;
    if (t == "s" || t == "q") p.settings.silent = true;
    if (t == "ql") p.settings.removeLauncher = true;
    if (t == "preview") p.settings.preview = true;
    if (t == "backup") p.settings.backup = true;
    if (t == "restore") {
      p.settings.restore = true;
      const auto digits = [](const std::string& text, size_t from) {
        return from < text.size() && text.find_first_not_of("0123456789", from) == std::string::npos;
      };
      bool named = false;
      if (i + 2 < tokens.size() && tokens[i + 1].size() == 8 && digits(tokens[i + 1], 0)) {
        const std::string& time = tokens[i + 2];
        if (time.size() >= 6 && time.size() <= 16 && digits(time.substr(0, 6), 0) &&
            (time.size() == 6 || (time[6] == '.' && digits(time, 7)))) {
          p.settings.restoreName = tokens[i + 1] + "-" + time;
          i += 2;
          named = true;
        }
      }
      if (!named && i + 1 < tokens.size() && !isKeyword(tokens[i + 1])) {
        if (p.settings.restoreRefused.empty()) p.settings.restoreRefused = words[i + 1];
        ++i;
      }
    }
    if (t == "codes") p.settings.codes = true;
    if (t == "pel" || t == "orv") {
      int32_t& word = t == "pel" ? p.settings.pelOptions : p.settings.orvOptions;
      word = -1;
      if (i + 1 < tokens.size() && tokens[i + 1][0] >= '0' && tokens[i + 1][0] <= '9') {
        uint64_t value = 0;
        for (size_t k = 0; k < tokens[i + 1].size() && std::isdigit(static_cast<unsigned char>(tokens[i + 1][k])); ++k)
          value = (value * 10 + static_cast<uint64_t>(tokens[i + 1][k] - '0')) % 4294967296u;
        word = static_cast<int32_t>(static_cast<uint32_t>(value));
        ++i;
      }
    }
  }
  return p;
}

// Bounded random lines of keywords, digits, delimiters and arbitrary bytes, each judged
// against the reference above (and, in the sanitizer build, for reads past the line).
TEST(ParseCommandLine, RandomLinesAgreeWithTheGrammarWrittenOut) {
  const char* pieces[] = {"pel", "orv", "ql", "l", "s", "v", "q", "?", "automation", "regserver",
                          "UnRegServer", "-", "/", " ", "\t", "\"", "0", "99999999999999999999",
                          "12abc", "4294967298", "PEL", "Q", "preview", "Backup", "restore", "CODES", "\xff\xfe", "\x80",
                          "20261209", "101500", "101500.2", "2026120", ".", "7", " restore ",
                          " 20261209 ", "-101500 ", "/101500.2 ", " 101500.x "};
  std::mt19937 random(12345);
  int named = 0, refused = 0;
  for (int round = 0; round < 20000; ++round) {
    std::string line;
    const int count = random() % 40;
    for (int i = 0; i < count; ++i) {
      if (random() % 5 == 0) line += static_cast<char>(1 + random() % 255);
      else line += pieces[random() % (sizeof(pieces) / sizeof(pieces[0]))];
    }
    const Parsed got = Parse(line), want = ReferenceParse(line);
    ASSERT_EQ(got.outcome, want.outcome) << line;
    ASSERT_EQ(got.settings.pelOptions, want.settings.pelOptions) << line;
    ASSERT_EQ(got.settings.orvOptions, want.settings.orvOptions) << line;
    ASSERT_EQ(got.settings.silent, want.settings.silent) << line;
    ASSERT_EQ(got.settings.verbose, want.settings.verbose) << line;
    ASSERT_EQ(got.settings.logEnabled, want.settings.logEnabled) << line;
    ASSERT_EQ(got.settings.removeLauncher, want.settings.removeLauncher) << line;
    ASSERT_EQ(got.settings.automation, want.settings.automation) << line;
    ASSERT_EQ(got.settings.preview, want.settings.preview) << line;
    ASSERT_EQ(got.settings.backup, want.settings.backup) << line;
    ASSERT_EQ(got.settings.restore, want.settings.restore) << line;
    ASSERT_EQ(got.settings.codes, want.settings.codes) << line;
    ASSERT_EQ(got.settings.restoreName, want.settings.restoreName) << line;
    ASSERT_EQ(got.settings.restoreRefused, want.settings.restoreRefused) << line;
    named += !want.settings.restoreName.empty();
    refused += !want.settings.restoreRefused.empty();
  }
  EXPECT_GT(named, 10);  // the lines do name backups
  EXPECT_GT(refused, 10);  // and give other words after "restore"
}

}  // namespace
