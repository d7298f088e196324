#pragma once
// Path rules of the PEL removal that need no Windows: buffer limits of the fixed formats, the
// install folder derived from the "dir" value, the temporary images folder.
#include <cstddef>
#include <string>

#include "engine/text/utf8_text.h"
#include "pel/brand_editions.h"

// Buffers of the fixed formats in characters, terminating zero included. A path that would not
// fit is skipped, never cut: a cut path names another folder.
const size_t kPelKeyBufferSize = 1024;   // uninstall key, InstallShield and start-menu folders
const size_t kPelPathBufferSize = 260;   // program, install, temporary and plug-in folders

inline bool FitsBuffer(const std::string& text, size_t bufferSize) {
  return Utf16Length(text) < bufferSize;
}

// True for a folder path (ending in a backslash) of at least one folder below a drive root
// ("X:\...\") or a network share ("\\server\share\...\"), without empty, "." or ".."
// components or characters no file name may hold.
bool IsFolderBelowRoot(const std::string& path);

// The client's install folder from the "dir" value of its first skin: the value less its
// "bin\" ending (any case). False when the value does not end in "\bin\" or what remains is
// not a folder below a root: "C:\bin\" never yields "C:\".
bool InstallFolderFromBinDir(const std::string& binDir, std::string& installFolder);

// The temporary images folder inside `tempPath` (with or without its trailing backslash);
// false when the path is empty or the result would not fit its buffer.
bool TempImagesFolder(const std::string& tempPath, std::string& folder);

// The client's plug-in folder inside an Acrobat installation folder; false when that folder
// is not an absolute path or the result would not fit its buffer.
bool AcrobatPluginFolder(const std::string& installPath, std::string& folder);

// The two-letter edition id names its Run values exactly ("gw", "gw-gw"); every other id
// matches any value name that contains it.
bool RunValuesNamedExactly(const BrandEdition& edition);
