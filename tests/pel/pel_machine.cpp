#include "pel_machine.h"

#include <shlobj.h>

#include <sstream>

#include "pel/pel_ids.h"
#include "pel_id_labels.h"
#include "test_support.h"

namespace {

std::string Trim(const std::string& text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::vector<std::string> SplitFields(const std::string& line) {
  std::vector<std::string> fields;
  std::stringstream stream(line);
  std::string field;
  while (std::getline(stream, field, '|')) fields.push_back(Trim(field));
  return fields;
}

std::vector<std::string> DataLines(const std::string& text) {
  std::vector<std::string> lines;
  std::stringstream stream(text);
  std::string line;
  while (std::getline(stream, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::string ShellFolder(int csidl) {
  char path[MAX_PATH] = {};
  if (!SHGetSpecialFolderPathA(nullptr, path, csidl, FALSE)) return std::string();
  std::string folder(path);
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  return folder;
}

HKEY RootOf(const std::string& name) {
  if (name == "HKCR") return HKEY_CLASSES_ROOT;
  if (name == "HKCU") return HKEY_CURRENT_USER;
  if (name == "HKLM") return HKEY_LOCAL_MACHINE;
  return nullptr;
}

std::string ValueName(const std::string& field) { return field == "@" ? std::string() : field; }

std::string Describe(const MachineItem& item) {
  std::string text = "line " + std::to_string(item.line) + " " + item.kind;
  for (const std::string& field : item.fields) text += " | " + field;
  return text;
}

}  // namespace

bool MachineItemExists(const MachineItem& item) {
  const std::vector<std::string>& f = item.fields;
  if (item.kind == "key") return RegKeyExists(RootOf(f[0]), f[1]);
  if (item.kind == "sz" || item.kind == "dword")
    return RegValueExists(RootOf(f[0]), f[1], ValueName(f[2]));
  if (item.kind == "file") return FileExists(f[0]);
  if (item.kind == "dir") return DirExists(f[0]);
  return false;
}

namespace {

bool Make(const MachineItem& item) {
  const std::vector<std::string>& f = item.fields;
  if (item.kind == "key") return f.size() == 2 && CreateRegKey(RootOf(f[0]), f[1]);
  if (item.kind == "sz") return f.size() == 4 && SetRegString(RootOf(f[0]), f[1], ValueName(f[2]), f[3]);
  if (item.kind == "dword")
    return f.size() == 4 && SetRegDword(RootOf(f[0]), f[1], ValueName(f[2]), std::stoul(f[3]));
  if (item.kind == "file") {
    if (f.size() != 1) return false;
    MakeDirs(f[0].substr(0, f[0].rfind('\\') + 1));
    SetFileAttributesA(f[0].c_str(), FILE_ATTRIBUTE_NORMAL);
    return WriteFileBytes(f[0], "installed for a test\r\n");
  }
  if (item.kind == "dir") return f.size() == 1 && MakeDirs(f[0]);
  return false;
}

}  // namespace

std::string MachinePlaces::Expand(const std::string& text) const {
  std::string out;
  for (size_t i = 0; i < text.size();) {
    const size_t close = text[i] == '{' ? text.find('}', i) : std::string::npos;
    if (close != std::string::npos) {
      auto found = values.find(text.substr(i + 1, close - i - 1));
      if (found != values.end()) {
        out += found->second;
        i = close + 1;
        continue;
      }
    }
    out += text[i++];
  }
  return out;
}

MachinePlaces FindMachinePlaces(bool win9xFolders) {
  MachinePlaces places;
  auto& v = places.values;
  v["PF"] = ShellFolder(CSIDL_PROGRAM_FILES);
  v["APPDATA"] = ShellFolder(CSIDL_APPDATA);
  const std::string userPrograms = ShellFolder(CSIDL_PROGRAMS);
  const std::string commonPrograms = ShellFolder(CSIDL_COMMON_PROGRAMS);
  const std::string userDesktop = ShellFolder(CSIDL_DESKTOPDIRECTORY);
  const std::string commonDesktop = ShellFolder(CSIDL_COMMON_DESKTOPDIRECTORY);
  v["PROGRAMS"] = win9xFolders ? userPrograms : commonPrograms;
  v["OTHER_PROGRAMS"] = win9xFolders ? commonPrograms : userPrograms;
  v["DESKTOP"] = win9xFolders ? userDesktop : commonDesktop;
  v["OTHER_DESKTOP"] = win9xFolders ? commonDesktop : userDesktop;
  const std::string profile = ShellFolder(CSIDL_PROFILE);
  v["PROFILES"] = profile.substr(0, profile.rfind('\\', profile.size() - 2) + 1);
  // The application-data folder lies in the profile, in either layout.
  v["APPSUB"] = v["APPDATA"].size() > profile.size() ? v["APPDATA"].substr(profile.size()) : "";
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  v["TEMP"] = temp;
  v["BIN"] = BinDir();
  v["INSTALL"] = "C:\\Varenta Client\\";
  for (int slot = 0; slot < PEL_ID_SLOT_COUNT; ++slot)
    v[PelIdLabel(static_cast<PelIdSlot>(slot))] = PelId(static_cast<PelIdSlot>(slot));
  return places;
}

std::string ReadPelDataFile(const char* name) {
  return ReadFileBytes(BinDir() + "pel_data\\" + name);
}

bool ConditionHolds(const std::string& condition, int32_t optionWord) {
  std::stringstream stream(condition);
  std::string token;
  while (stream >> token) {
    if (token == "*") continue;
    if (token == "never") return false;
    const int32_t bits = std::stoi(token.substr(1));
    const bool set = (optionWord & bits) == bits;
    if ((token[0] == '+') != set) return false;
  }
  return true;
}

std::vector<MachineItem> ParseMachine(const std::string& text, const MachinePlaces& places) {
  std::vector<MachineItem> items;
  int number = 0;
  for (const std::string& line : DataLines(text)) {
    ++number;
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> fields = SplitFields(line);
    if (fields.size() < 3) continue;
    MachineItem item;
    item.goneWhen = fields[0];
    item.kind = fields[1];
    for (size_t i = 2; i < fields.size(); ++i) item.fields.push_back(places.Expand(fields[i]));
    item.line = number;
    items.push_back(item);
  }
  return items;
}

std::vector<std::string> InstallMachine(const std::vector<MachineItem>& items) {
  std::vector<std::string> problems;
  for (const MachineItem& item : items)
    if (!Make(item)) problems.push_back("cannot make " + Describe(item));
  return problems;
}

std::vector<std::string> CheckMachine(const std::vector<MachineItem>& items, int32_t optionWord) {
  std::vector<std::string> problems;
  for (const MachineItem& item : items) {
    const bool shouldExist = !ConditionHolds(item.goneWhen, optionWord);
    if (MachineItemExists(item) != shouldExist)
      problems.push_back((shouldExist ? "removed but must stay: " : "left but must go: ") +
                         Describe(item));
  }
  return problems;
}

std::vector<std::string> ExpectedLog(const std::string& text, const MachinePlaces& places,
                                     int32_t optionWord) {
  std::vector<std::string> lines;
  for (const std::string& line : DataLines(text)) {
    if (line.empty() || line[0] == '#') continue;
    const size_t bar = line.find("| ");
    if (bar == std::string::npos) continue;
    if (ConditionHolds(line.substr(0, bar), optionWord))
      lines.push_back(places.Expand(line.substr(bar + 2)));
  }
  return lines;
}

std::vector<std::string> LogLines(const std::string& bytes) {
  std::vector<std::string> lines = DataLines(bytes);
  if (!lines.empty() && lines.back().empty()) lines.pop_back();
  return lines;
}

bool InstallPelMachine(bool win9xFolders, std::string& problems) {
  const std::string data = ReadPelDataFile("pel_machine.txt");
  if (data.empty()) {
    problems = "pel_machine.txt not found next to the programs";
    return false;
  }
  for (const std::string& p : InstallMachine(ParseMachine(data, FindMachinePlaces(win9xFolders))))
    problems += p + "\n";
  return problems.empty();
}
