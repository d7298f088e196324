#pragma once
// The "REGEDIT4" text that regedit imports: the backup writes every registry key and value
// in it before they are deleted, and a restore reads it back. Every value type is kept
// exactly: a string that the quoted form cannot hold unchanged is written as hex(1).
#include <cstdint>
#include <string>
#include <vector>

struct RegFileValue {
  std::string name;  // empty: the key's default value, written "@"
  uint32_t type = 0;
  std::string data;  // the value's bytes as the registry holds them
  // For a value the removal rewrote rather than deleted: the bytes it left in its place, so
  // that a restore may put the old data back while nobody has changed the value since.
  bool hasLeft = false;
  std::string left;
  // For a string whose characters the ANSI code page cannot all hold: its exact UTF-16 bytes.
  // The value line then holds the nearest ANSI form, for regedit; a restore uses these.
  bool hasWide = false;
  std::string wide;
  // For a name the ANSI code page cannot spell: its exact UTF-16 bytes (the line holds "?"
  // for what it cannot spell).
  bool hasWideName = false;
  std::string wideName;
  // For a queue of file operations pending for the next start of Windows: the data holds
  // only the operations the removal took out, to be added back to the value as it is then.
  bool operationsOnly = false;
};

struct RegFileKey {
  std::string path;  // the full path, root name first ("HKEY_CURRENT_USER\Software\x")
  std::vector<RegFileValue> values;
  // For a path the ANSI code page cannot spell: its exact UTF-16 bytes.
  bool hasWidePath = false;
  std::string widePath;
};

// The first line of the file, with its line end.
extern const char kRegFileHeader[];

// "\r\n[path]\r\n": the blank line and the key's line. False when the path cannot be written
// (a line break in it).
bool FormatRegKeyLine(const std::string& path, std::string& out);

// One value's line, with continuation lines for long hex data, ending in "\r\n". False when
// the name cannot be written (a line break or a zero byte in it).
bool FormatRegValueLine(const RegFileValue& value, std::string& out);

// Comment lines that may follow a value's line; regedit skips them. ";purgon:left=hex:..."
// holds the UTF-16 bytes a rewrite left in the value's place, ";purgon:wide=hex:..." the
// value's exact UTF-16 bytes, ";purgon:widename=hex:..." its name's.
std::string FormatRegLeftLine(const std::string& left);
std::string FormatRegWideLine(const std::string& wide);
std::string FormatRegWideNameLine(const std::string& wideName);
// ";purgon:operations-only": the value's data is what the removal took out of a queue.
std::string FormatRegOperationsOnlyLine();
// The comment line that may follow a key's line: ";purgon:widekey=hex:..." holds the UTF-16
// bytes of its full path.
std::string FormatRegWideKeyLine(const std::string& widePath);

// The keys of a whole file in file order (a key may appear more than once). False, with the
// line in `errorLine`, for text that is not what FormatReg* write or regedit reads: no
// header, a deletion entry, a broken value line.
bool ParseRegFile(const std::string& text, std::vector<RegFileKey>& keys, size_t* errorLine);
