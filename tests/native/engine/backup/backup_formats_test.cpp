// The text and names a backup is made of, and what a preview counts as gone.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "engine/backup/backup_layout.h"
#include "engine/backup/backup_names.h"
#include "engine/run/gone_items.h"
#include "engine/registry/reg_file.h"

namespace {

RegFileValue Value(const std::string& name, uint32_t type, const std::string& data) {
  RegFileValue v;
  v.name = name;
  v.type = type;
  v.data = data;
  return v;
}

std::string Format(const std::string& path, const std::vector<RegFileValue>& values) {
  std::string text = kRegFileHeader, line;
  EXPECT_TRUE(FormatRegKeyLine(path, line));
  text += line;
  for (const RegFileValue& v : values) {
    EXPECT_TRUE(FormatRegValueLine(v, line)) << v.name;
    text += line;
  }
  return text;
}

void ExpectSameValues(const std::vector<RegFileValue>& a, const std::vector<RegFileValue>& b) {
  ASSERT_EQ(a.size(), b.size());
  for (size_t i = 0; i < a.size(); ++i) {
    EXPECT_EQ(a[i].name, b[i].name) << i;
    EXPECT_EQ(a[i].type, b[i].type) << a[i].name;
    EXPECT_EQ(a[i].data, b[i].data) << a[i].name;
  }
}

// What regedit reads: quoted strings with \\ and \" only, dword, hex with the type in
// parentheses, wrapped hex lines; every type comes back byte for byte.
TEST(RegFile, EveryTypeIsWrittenAsRegeditReadsItAndComesBackExactly) {
  const std::string multi("one\0two\0\0", 9);
  const std::vector<RegFileValue> values = {
      Value("", 1, std::string("default\0", 8)),
      Value("quote\"and\\back=[x]", 1, std::string("C:\\dir\\\"x\"\0", 11)),
      Value("empty", 1, std::string("\0", 1)),
      Value("no terminator", 1, "abc"),
      Value("line break", 1, std::string("a\r\nb\0", 6)),
      Value("expand", 2, std::string("%TEMP%\\x\0", 9)),
      Value("multi", 7, multi),
      Value("dword", 4, std::string("\x0a\x00\x00\x80", 4)),
      Value("short dword", 4, std::string("\x01", 1)),
      Value("qword", 11, std::string("\x01\x02\x03\x04\x05\x06\x07\x08", 8)),
      Value("binary", 3, std::string(100, '\xff')),
      Value("empty binary", 3, ""),
      Value("none", 0, ""),
      Value("odd type", 0x12345, "z"),
      Value("\xe9t\xe9", 1, std::string("\xe9\0", 2)),
  };
  const std::string text = Format("HKEY_CURRENT_USER\\Software\\a]b", values);
  EXPECT_NE(text.find("\r\n[HKEY_CURRENT_USER\\Software\\a]b]\r\n@=\"default\"\r\n"), std::string::npos);
  EXPECT_NE(text.find("\"quote\\\"and\\\\back=[x]\"=\"C:\\\\dir\\\\\\\"x\\\"\"\r\n"), std::string::npos);
  EXPECT_NE(text.find("\"empty\"=\"\"\r\n"), std::string::npos);
  EXPECT_NE(text.find("\"no terminator\"=hex(1):61,62,63\r\n"), std::string::npos);
  EXPECT_NE(text.find("\"dword\"=dword:8000000a\r\n"), std::string::npos);
  EXPECT_NE(text.find("\"short dword\"=hex(4):01\r\n"), std::string::npos);
  EXPECT_NE(text.find("\"qword\"=hex(b):01,02,03,04,05,06,07,08\r\n"), std::string::npos);
  EXPECT_NE(text.find("\"binary\"=hex:ff,ff,"), std::string::npos);
  EXPECT_NE(text.find(",\\\r\n  ff,"), std::string::npos);  // wrapped as regedit wraps
  EXPECT_NE(text.find("\"empty binary\"=hex:\r\n"), std::string::npos);
  EXPECT_NE(text.find("\"none\"=hex(0):\r\n"), std::string::npos);
  EXPECT_NE(text.find("\"odd type\"=hex(12345):7a\r\n"), std::string::npos);

  std::vector<RegFileKey> keys;
  ASSERT_TRUE(ParseRegFile(text, keys, nullptr));
  ASSERT_EQ(keys.size(), 1u);
  EXPECT_EQ(keys[0].path, "HKEY_CURRENT_USER\\Software\\a]b");
  ExpectSameValues(keys[0].values, values);
}

TEST(RegFile, WhatCannotBeWrittenExactlyIsRefusedAndBrokenTextRejected) {
  std::string line;
  EXPECT_FALSE(FormatRegValueLine(Value("a\nb", 1, std::string("x\0", 2)), line));
  EXPECT_FALSE(FormatRegKeyLine("HKEY_CURRENT_USER\\a\rb", line));
  // A rewritten value carries what was left in its place.
  std::string text = Format("HKEY_LOCAL_MACHINE\\k", {Value("v", 7, std::string("a\0b\0\0", 5))});
  text += FormatRegLeftLine(std::string("b\0\0\0", 4));
  text += FormatRegWideLine(std::string("\x2d\x4e\0\0", 4));
  text += "; a comment of somebody else\r\n";
  std::vector<RegFileKey> keys;
  ASSERT_TRUE(ParseRegFile(text, keys, nullptr));
  ASSERT_TRUE(keys[0].values[0].hasLeft && keys[0].values[0].hasWide);
  EXPECT_EQ(keys[0].values[0].left, std::string("b\0\0\0", 4));
  EXPECT_EQ(keys[0].values[0].wide, std::string("\x2d\x4e\0\0", 4));
  EXPECT_FALSE(ParseRegFile(text + FormatRegWideLine("x"), keys, nullptr));  // one of each

  size_t errorLine = 0;
  for (const char* bad : {"", "[HKEY_CURRENT_USER\\a]\r\n", "REGEDIT4\r\n\"v\"=\"x\"\r\n",
                          "REGEDIT4\r\n[-HKEY_CURRENT_USER\\a]\r\n",
                          "REGEDIT4\r\n[HKEY_CURRENT_USER\\a]\r\n\"v\"=-\r\n",
                          "REGEDIT4\r\n[HKEY_CURRENT_USER\\a]\r\n\"v\"=\"x\\n\"\r\n",
                          "REGEDIT4\r\n[HKEY_CURRENT_USER\\a]\r\n\"v\"=hex:1,zz\r\n",
                          // a hex continuation cut inside a byte: every byte is two digits
                          "REGEDIT4\r\n[HKEY_CURRENT_USER\\a]\r\n\"v\"=hex:01,02,\\\r\n  03,0\r\n",
                          "REGEDIT4\r\n[HKEY_CURRENT_USER\\a]\r\n\"v\"=hex(7):1\r\n",
                          "REGEDIT4\r\n[HKEY_CURRENT_USER\\a]\r\n\"v\"=dword:123456789\r\n"})
    EXPECT_FALSE(ParseRegFile(bad, keys, &errorLine)) << bad;
}

// Random values and random text, a bounded share of what the fuzzer runs: whatever is written
// reads back the same, and no text makes the reader misbehave.
TEST(RegFile, RandomValuesComeBackAndRandomTextIsHandled) {
  std::mt19937 random(20261208);
  const std::string alphabet("ab\\\"=[]@:,;- \t\r\n\0\xe9hex(7)dword", 30);
  for (int round = 0; round < 300; ++round) {
    std::vector<RegFileValue> values;
    for (int i = random() % 6; i > 0; --i) {
      RegFileValue v;
      for (int n = random() % 12; n > 0; --n) v.name += alphabet[random() % alphabet.size()];
      if (v.name.find_first_of(std::string("\r\n\0", 3)) != std::string::npos) continue;
      v.type = random() % 3 == 0 ? random() : random() % 12;
      for (int n = random() % 200; n > 0; --n) v.data += alphabet[random() % alphabet.size()];
      if (random() % 2) v.data += '\0';
      values.push_back(v);
    }
    std::vector<RegFileKey> keys;
    ASSERT_TRUE(ParseRegFile(Format("HKEY_USERS\\S-1\\x", values), keys, nullptr));
    ExpectSameValues(keys[0].values, values);

    std::string garbage = "REGEDIT4\r\n";
    for (int n = random() % 300; n > 0; --n) garbage += alphabet[random() % alphabet.size()];
    ParseRegFile(garbage, keys, nullptr);
  }
}

TEST(BackupLayout, KeptPlaces) {
  std::string kept, back;
  ASSERT_TRUE(KeptPathOf("c:\\Program Files\\Varenta\\a.exe", kept));
  EXPECT_EQ(kept, "C\\Program Files\\Varenta\\a.exe");
  ASSERT_TRUE(OriginalPathOf(kept, back));
  EXPECT_EQ(back, "C:\\Program Files\\Varenta\\a.exe");
  ASSERT_TRUE(KeptPathOf("\\\\server\\share\\d\\", kept));
  EXPECT_EQ(kept, "UNC\\server\\share\\d");
  ASSERT_TRUE(OriginalPathOf(kept, back));
  EXPECT_EQ(back, "\\\\server\\share\\d");
  // Nothing may lead out of the files folder or elsewhere on the way back.
  for (const char* bad : {"C:\\a\\..\\..\\b", "C:\\a\\\\..\\b", "relative\\x", "\\\\?\\C:\\x", "C:x",
                          "\\\\\\server\\share\\x", "C:\\\\", "C:\\a\\\\.\\\\b"})
    EXPECT_FALSE(KeptPathOf(bad, kept)) << bad;
  for (const char* bad : {"C\\..\\x", "UNC\\", "x", "CD\\x"}) EXPECT_FALSE(OriginalPathOf(bad, back)) << bad;
}

// The launcher forms its icon's path with a doubled backslash; Windows reads it as one, and
// so must the backup, or the icon is never removed under /backup.
TEST(BackupLayout, DoubledSeparatorsAreKeptAsOne) {
  std::string kept, back;
  ASSERT_TRUE(KeptPathOf("C:\\Program Files\\Varenta\\QLaunch\\\\qlaunch.ico", kept));
  EXPECT_EQ(kept, "C\\Program Files\\Varenta\\QLaunch\\qlaunch.ico");
  ASSERT_TRUE(OriginalPathOf(kept, back));
  EXPECT_EQ(back, "C:\\Program Files\\Varenta\\QLaunch\\qlaunch.ico");
  ASSERT_TRUE(KeptPathOf("C:\\\\a\\\\\\b\\\\", kept));
  EXPECT_EQ(kept, "C\\a\\b");
  ASSERT_TRUE(KeptPathOf("\\\\server\\\\share\\d", kept));
  EXPECT_EQ(kept, "UNC\\server\\share\\d");
}

BackupTime Time(int year, int month, int day, int hour, int minute, int second) {
  BackupTime t;
  t.year = year;
  t.month = month;
  t.day = day;
  t.hour = hour;
  t.minute = minute;
  t.second = second;
  return t;
}

TEST(BackupNames, TheUtcTimeThenTheNumberAndOnlyRealDates) {
  EXPECT_EQ(BackupNameFor(Time(2026, 12, 9, 10, 15, 0), 1), "20261209-101500");
  EXPECT_EQ(BackupNameFor(Time(2026, 1, 2, 3, 4, 5), 2), "20260102-030405.2");
  EXPECT_EQ(BackupNameFor(Time(2024, 2, 29, 23, 59, 59), 12), "20240229-235959.12");
  EXPECT_EQ(BackupNameFor(Time(2000, 2, 29, 0, 0, 0), 1), "20000229-000000");
  for (const BackupTime& bad : {Time(2026, 2, 29, 0, 0, 0), Time(1900, 2, 29, 0, 0, 0),
                                Time(2026, 13, 1, 0, 0, 0), Time(2026, 4, 31, 0, 0, 0),
                                Time(2026, 1, 1, 24, 0, 0), Time(2026, 1, 1, 0, 60, 0),
                                Time(2026, 1, 1, 0, 0, 60), Time(10000, 1, 1, 0, 0, 0), Time(0, 0, 0, 0, 0, 0)})
    EXPECT_EQ(BackupNameFor(bad, 1), "") << bad.year << "-" << bad.month << "-" << bad.day;
  EXPECT_EQ(BackupNameFor(Time(2026, 1, 1, 0, 0, 0), 0), "");
  EXPECT_EQ(BackupNameFor(Time(2026, 1, 1, 0, 0, 0), kMaxBackupNumber + 1), "");
  BackupName parsed;
  ASSERT_TRUE(ParseBackupName(BackupNameFor(Time(2024, 2, 29, 1, 2, 3), kMaxBackupNumber), parsed));
  EXPECT_EQ(parsed.stamp, "20240229-010203");
  EXPECT_EQ(parsed.number, kMaxBackupNumber);
}

// A restore name comes from the command line and listings from a folder others may have
// written to: nothing but the exact pattern may pass, least of all a path.
TEST(BackupNames, AnythingButThePatternIsNoBackup) {
  for (const std::string& bad : std::vector<std::string>{
        "", "20261209-101500.restored", "20261209-101500.2.restored", "20261209-101500.1",
        "20261209-101500.02", "20261209-101500.", "20261209-101500.1000000000", "20261209_101500",
        "20261209-1015", "2026120-9101500", "20261309-101500", "20260230-101500", "20261209-241500",
        "..\\20261209-101500", "20261209-101500\\..", "20261209-101500/x", "C:20261209-101500",
        "\\\\?\\20261209-101500", " 20261209-101500", "20261209-101500 ", "purgon-backup.2",
        "\xef\xbc\x92""0261209-101500", std::string("20261209-101500\0.2", 17), "+2026120-101500"}) {
    BackupName parsed;
    EXPECT_FALSE(ParseBackupName(bad, parsed)) << bad;
  }
}

// Newest by name, not by number alone or by text order: ".10" after ".2", a later second
// after every number of an earlier one, restored backups never.
TEST(BackupNames, NewestIsTheLatestTimeThenTheHighestNumber) {
  EXPECT_EQ(NewestBackupName({"20261209-101500.2", "20261209-101500.10", "20261209-101459.99",
                              "20261209-101500", "x", "20271209-101500.restored"}),
            "20261209-101500.10");
  EXPECT_EQ(NewestBackupName({"20251231-235959.9", "20261209-101501", "20261209-101500.10"}),
            "20261209-101501");
  EXPECT_EQ(NewestBackupName({"purgon-backup.7", "20261209-101500.restored", "20261309-101500"}), "");
  EXPECT_EQ(NewestBackupName({}), "");
}

TEST(GoneItems, KeysBelowAndClassesHalvesValuesAndPaths) {
  GoneItems gone;
  gone.MarkKey("HKEY_CURRENT_USER", "Software\\Varenta");
  EXPECT_TRUE(gone.IsKeyGone("HKEY_CURRENT_USER", "software\\varenta\\qlaunch"));
  EXPECT_FALSE(gone.IsKeyGone("HKEY_CURRENT_USER", "Software\\VarentaX"));
  EXPECT_FALSE(gone.IsKeyGone("HKEY_LOCAL_MACHINE", "Software\\Varenta"));
  EXPECT_TRUE(gone.IsValueGone("HKEY_CURRENT_USER", "Software\\Varenta\\qlaunch", "path"));

  gone.MarkKey("HKEY_CLASSES_ROOT", "CLSID\\{1}");
  EXPECT_TRUE(gone.IsKeyGone("HKEY_LOCAL_MACHINE", "SOFTWARE\\Classes\\CLSID\\{1}\\InprocServer32"));
  EXPECT_TRUE(gone.IsKeyGone("HKEY_CURRENT_USER", "Software\\Classes\\clsid\\{1}"));
  gone.MarkKey("HKEY_LOCAL_MACHINE", "Software\\Classes\\ORV.UI");
  EXPECT_TRUE(gone.IsKeyGone("HKEY_CLASSES_ROOT", "ORV.UI\\CLSID"));
  EXPECT_FALSE(gone.IsKeyGone("HKEY_LOCAL_MACHINE", "Software\\ClassesX\\ORV.UI"));

  gone.MarkValue("HKEY_LOCAL_MACHINE", "Software\\Run", "orv");
  EXPECT_TRUE(gone.IsValueGone("HKEY_LOCAL_MACHINE", "software\\run", "ORV"));
  EXPECT_FALSE(gone.IsValueGone("HKEY_LOCAL_MACHINE", "software\\run", "orv2"));
  EXPECT_FALSE(gone.IsKeyGone("HKEY_LOCAL_MACHINE", "software\\run"));

  gone.MarkPath("C:\\Program Files\\Varenta\\");
  EXPECT_TRUE(gone.IsPathGone("c:\\program files\\varenta"));
  EXPECT_TRUE(gone.IsPathGone("C:\\Program Files\\Varenta\\bin\\a.dll"));
  EXPECT_FALSE(gone.IsPathGone("C:\\Program Files\\Varenta2\\a.dll"));
  EXPECT_FALSE(gone.IsPathGone("C:\\Program Files\\"));
}

}  // namespace
