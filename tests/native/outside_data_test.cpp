// Bounded random inputs for the readers of other programs' data, judged by the same rules as
// their libFuzzer targets (tests/fuzz): the queue of the next start of Windows, registration
// scripts, and names and paths from the registry and the shell.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "outside_data_checks.h"

namespace {

template <typename Piece, size_t N>
std::string Pick(std::mt19937& random, const Piece (&pieces)[N]) {
  return pieces[random() % N];
}

// UTF-16 code units as the registry stores them (little-endian bytes).
std::string Utf16Bytes(const std::u16string& text) {
  std::string bytes;
  for (char16_t c : text) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  return bytes;
}

// Queues of other installers' and the client's operations, with and without their closing
// empty string, with odd byte counts, the wrong type and paths longer than any buffer.
TEST(OutsideData, RandomRenameQueuesAreReadAndFilteredSoundly) {
  const std::u16string pieces[] = {u"\\??\\C:\\orv\\a.dll", u"\\??\\C:\\Program Files\\ORVPlayer\\x",
                                   u"\\??\\C:\\Temp\\t.tmp", u"!\\??\\C:\\y\\old.dll", u"orv",
                                   u"\\", u"/", std::u16string(1, u'\0'), std::u16string(2, u'\0'),
                                   u"\u4E2D", std::u16string(33000, u'p')};
  std::mt19937 random(20261208);
  for (int round = 0; round < 1500; ++round) {
    std::u16string text;
    const int count = static_cast<int>(random() % 12);
    for (int i = 0; i < count; ++i) text += pieces[random() % (sizeof(pieces) / sizeof(pieces[0]))];
    std::string bytes = Utf16Bytes(text);
    if (random() % 8 == 0) bytes += static_cast<char>(random());  // an odd byte count
    const uint32_t type = random() % 6 == 0 ? static_cast<uint32_t>(random() % 12) : kPendingQueueType;
    ASSERT_EQ(CheckPendingQueue(type, bytes), "") << "round " << round << ", type " << type;
  }
}

TEST(OutsideData, RandomRegistrationScriptsParseWholeOrNotAtAll) {
  const std::string pieces[] = {"HKCR", "HKLM", "HKEY_CURRENT_USER", "{", "}", "NoRemove", "ForceRemove",
                                "val", "=", "s", "d", "'", "''", "%MODULE%", "%%", "%APPID%", "AppID",
                                " ", "\r\n", "\t", "'a b'", "x\\y", std::string(300, 'n')};
  std::mt19937 random(7);
  for (int round = 0; round < 5000; ++round) {
    std::string script;
    const int count = static_cast<int>(random() % 60);
    for (int i = 0; i < count; ++i)
      script += random() % 10 == 0 ? std::string(1, static_cast<char>(random())) : Pick(random, pieces);
    ASSERT_EQ(CheckRegistrarScript(script), "") << script;
  }
}

TEST(OutsideData, RandomNamesAndPathsStayWholeAndBounded) {
  const char* const pieces[] = {"C:", "c:", "\\", "/", "\\\\", "server", "share", ".", "..", "bin",
                                "BIN", "qlaunch.exe", "QLAUNCH.EXE", "Application Data", "AppData",
                                "Roaming", "users", " ", "?", "*", ":", "\"", "\\\\?\\", "\\\\.\\",
                                "Varenta", "orv"};
  std::mt19937 random(11);
  for (int round = 0; round < 5000; ++round) {
    std::string texts[2];
    for (std::string& text : texts) {
      const int count = static_cast<int>(random() % 14);
      for (int i = 0; i < count; ++i)
        text += random() % 12 == 0 ? std::string(1, static_cast<char>(1 + random() % 255)) : Pick(random, pieces);
      if (random() % 50 == 0) text += std::string(300, 'x');
    }
    ASSERT_EQ(CheckPathTexts(texts[0], texts[1]), "") << texts[0] << " | " << texts[1];
  }
}

}  // namespace
