#include <gtest/gtest.h>

#include <random>
#include <string>

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

// Bounded random lines of keywords, digits, delimiters and arbitrary bytes: the parser must
// never crash or read past the line (the sanitizer build checks the latter), and its result
// must not depend on anything but the line.
TEST(ParseCommandLine, RandomLinesAreHandledSafely) {
  const char* pieces[] = {"pel", "orv", "ql", "l", "s", "v", "q", "?", "automation", "-", "/",
                          " ", "\t", "\"", "0", "99999999999999999999", "12abc", "\xff\xfe", "\x80"};
  std::mt19937 random(12345);
  for (int round = 0; round < 20000; ++round) {
    std::string line;
    int count = random() % 40;
    for (int i = 0; i < count; ++i) {
      if (random() % 5 == 0) line += static_cast<char>(1 + random() % 255);
      else line += pieces[random() % (sizeof(pieces) / sizeof(pieces[0]))];
    }
    Parsed a = Parse(line), b = Parse(line);
    ASSERT_EQ(a.outcome, b.outcome) << line;
    ASSERT_EQ(a.settings.pelOptions, b.settings.pelOptions) << line;
  }
}

}  // namespace
