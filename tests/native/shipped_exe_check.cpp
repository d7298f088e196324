// The program as it ships (build/win/bin/purgon.exe, the 32-bit release build) loads on every
// Windows it is for: it imports only functions that Windows 95 and Windows NT 4 export (the
// list tests/native/data/win95_nt4_imports.txt), its header names those systems, and it
// carries no debug sections. The PE file is read here directly; no outside tool is needed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string Lower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

// A PE file's headers, sections and imports, read from its bytes; `error` says what was not
// a PE file.
class PeFile {
 public:
  struct Section {
    std::string name;
    uint32_t virtualAddress = 0, virtualSize = 0, rawOffset = 0, rawSize = 0;
  };

  explicit PeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    bytes_ = all.str();
    if (bytes_.empty()) {
      error = "cannot be read: " + path + " (build it with scripts/build.sh win)";
      return;
    }
    Read();
  }

  std::string error;
  uint16_t machine = 0, subsystem = 0;
  uint16_t osMajor = 0, osMinor = 0, subsystemMajor = 0, subsystemMinor = 0;
  uint32_t symbolTable = 0;
  std::vector<Section> sections;
  std::map<std::string, std::vector<std::string>> imports;  // DLL name (lower case): names

 private:
  uint32_t U(size_t at, size_t size) const {
    if (at + size > bytes_.size()) return 0;
    uint32_t value = 0;
    for (size_t i = size; i-- > 0;) value = (value << 8) | static_cast<unsigned char>(bytes_[at + i]);
    return value;
  }
  std::string TextAt(size_t at) const {
    if (at >= bytes_.size()) return std::string();
    return std::string(bytes_.c_str() + at);
  }
  size_t OffsetOf(uint32_t rva) const {
    for (const Section& s : sections)
      if (rva >= s.virtualAddress && rva < s.virtualAddress + std::max(s.virtualSize, s.rawSize))
        return rva - s.virtualAddress + s.rawOffset;
    return bytes_.size();
  }

  void Read() {
    if (U(0, 2) != 0x5a4d) return void(error = "no MZ header");
    const size_t pe = U(0x3c, 4);
    if (U(pe, 4) != 0x4550) return void(error = "no PE signature");
    const size_t coff = pe + 4;
    machine = static_cast<uint16_t>(U(coff, 2));
    const uint32_t count = U(coff + 2, 2);
    symbolTable = U(coff + 8, 4);
    const uint32_t symbols = U(coff + 12, 4);
    const size_t optional = coff + 20;
    const uint32_t magic = U(optional, 2);
    if (magic != 0x10b && magic != 0x20b) return void(error = "not a PE32 or PE32+ optional header");
    const bool wide = magic == 0x20b;
    osMajor = static_cast<uint16_t>(U(optional + 40, 2));
    osMinor = static_cast<uint16_t>(U(optional + 42, 2));
    subsystemMajor = static_cast<uint16_t>(U(optional + 48, 2));
    subsystemMinor = static_cast<uint16_t>(U(optional + 50, 2));
    subsystem = static_cast<uint16_t>(U(optional + 68, 2));
    const size_t directories = optional + (wide ? 112 : 96);
    const size_t table = optional + U(coff + 16, 2);
    const size_t strings = symbolTable ? symbolTable + symbols * 18 : 0;
    for (uint32_t i = 0; i < count; ++i) {
      const size_t at = table + i * 40;
      Section s;
      s.name = std::string(bytes_.data() + std::min(at, bytes_.size()), std::min<size_t>(8, bytes_.size() - std::min(at, bytes_.size())));
      s.name = s.name.c_str();
      if (!s.name.empty() && s.name[0] == '/' && strings) s.name = TextAt(strings + std::stoul(s.name.substr(1)));
      s.virtualSize = U(at + 8, 4);
      s.virtualAddress = U(at + 12, 4);
      s.rawSize = U(at + 16, 4);
      s.rawOffset = U(at + 20, 4);
      sections.push_back(s);
    }
    ReadImports(OffsetOf(U(directories + 8, 4)), wide);
  }

  void ReadImports(size_t descriptor, bool wide) {
    const size_t thunkSize = wide ? 8 : 4;
    for (;; descriptor += 20) {
      if (descriptor + 20 > bytes_.size()) return void(error = "the import table runs off the file");
      const uint32_t lookup = U(descriptor, 4), nameRva = U(descriptor + 12, 4), first = U(descriptor + 16, 4);
      if (!lookup && !nameRva && !first) return;
      std::vector<std::string>& names = imports[Lower(TextAt(OffsetOf(nameRva)))];
      for (size_t thunk = OffsetOf(lookup ? lookup : first);; thunk += thunkSize) {
        if (thunk + thunkSize > bytes_.size()) return void(error = "an import list runs off the file");
        const uint32_t low = U(thunk, 4), high = wide ? U(thunk + 4, 4) : 0;
        if (!low && !high) break;
        const bool byOrdinal = wide ? (high & 0x80000000u) != 0 : (low & 0x80000000u) != 0;
        names.push_back(byOrdinal ? "#" + std::to_string(low & 0xffff) : TextAt(OffsetOf(low) + 2));
      }
    }
  }

  std::string bytes_;
};

// The list of what may be imported: DLL (lower case) to names, each with its notes.
std::map<std::string, std::map<std::string, std::string>> ReadAllowed(const std::string& path) {
  std::map<std::string, std::map<std::string, std::string>> allowed;
  std::ifstream in(path);
  std::string line, dll;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    if (line[0] == '[') {
      dll = Lower(line.substr(1, line.find(']') - 1));
      continue;
    }
    const size_t blank = line.find(' ');
    allowed[dll][line.substr(0, blank)] = blank == std::string::npos ? "" : line.substr(blank + 1);
  }
  return allowed;
}

TEST(ShippedProgram, ImportsOnlyWhatWindows95AndNt4Export) {
  const PeFile program(PURGON_SHIPPED_EXE);
  ASSERT_EQ(program.error, "");
  const auto allowed = ReadAllowed(PURGON_IMPORT_LIST);
  ASSERT_FALSE(allowed.empty()) << "no list at " << PURGON_IMPORT_LIST;
  std::vector<std::string> outside;
  size_t count = 0;
  for (const auto& dll : program.imports) {
    const auto known = allowed.find(dll.first);
    for (const std::string& name : dll.second) {
      ++count;
      if (known == allowed.end() || !known->second.count(name)) outside.push_back(dll.first + "!" + name);
    }
  }
  EXPECT_GT(count, 100u) << "the import table was not read";
  std::string listed;
  for (const std::string& name : outside) listed += "\n  " + name;
  EXPECT_TRUE(outside.empty())
      << "imports that Windows 95 or NT 4 may lack (look them up in src/engine/core/optional_calls.h, "
         "or add them to the list with their documented minimum versions):" << listed;
}

// The list itself must not let in what is newer: a few functions each Windows before 2000 (or
// before XP, Vista) lacks, which the program or its runtime once imported.
TEST(ShippedProgram, TheListHoldsNothingNewerThanWindows95AndNt4) {
  const auto allowed = ReadAllowed(PURGON_IMPORT_LIST);
  const char* const kNewer[][2] = {
      {"kernel32.dll", "GetTickCount64"}, {"kernel32.dll", "AddVectoredExceptionHandler"},
      {"kernel32.dll", "GetLongPathNameW"}, {"kernel32.dll", "TryEnterCriticalSection"},
      {"kernel32.dll", "GetFinalPathNameByHandleW"}, {"advapi32.dll", "CheckTokenMembership"},
      {"advapi32.dll", "ConvertSidToStringSidW"}, {"advapi32.dll", "GetSecurityInfo"},
      {"advapi32.dll", "ConvertStringSecurityDescriptorToSecurityDescriptorW"},
      {"shell32.dll", "SHGetFolderPathW"}, {"oleaut32.dll", "LoadTypeLibEx"},
      {"oleaut32.dll", "UnRegisterTypeLib"},
  };
  for (const auto& newer : kNewer) {
    const auto dll = allowed.find(newer[0]);
    EXPECT_TRUE(dll == allowed.end() || !dll->second.count(newer[1])) << newer[0] << "!" << newer[1];
  }
  // Every wide function of the Windows 95 system DLLs is marked as the stub it is there.
  for (const char* dll : {"kernel32.dll", "advapi32.dll", "user32.dll", "shell32.dll"}) {
    const auto names = allowed.find(dll);
    if (names == allowed.end()) continue;
    for (const auto& entry : names->second) {
      const std::string& name = entry.first;
      if (name.size() > 1 && name.back() == 'W') {
        EXPECT_NE(entry.second.find("9x-stub"), std::string::npos) << dll << "!" << name;
      }
    }
  }
}

TEST(ShippedProgram, HeaderNamesWindows95AndNt4AndNoDebugSectionsAreLeft) {
  const PeFile program(PURGON_SHIPPED_EXE);
  ASSERT_EQ(program.error, "");
  EXPECT_EQ(program.machine, 0x14c) << "the shipped program is the 32-bit one";
  EXPECT_EQ(program.subsystem, 2) << "a GUI program";
  EXPECT_EQ(program.osMajor, 4);
  EXPECT_EQ(program.osMinor, 0);
  EXPECT_EQ(program.subsystemMajor, 4);
  EXPECT_EQ(program.subsystemMinor, 0);
  EXPECT_EQ(program.symbolTable, 0u) << "symbols are left in the release program";
  for (const PeFile::Section& section : program.sections)
    EXPECT_NE(section.name.compare(0, 6, ".debug"), 0) << "a debug section: " << section.name;
  EXPECT_GE(program.sections.size(), 3u);
}

}  // namespace
