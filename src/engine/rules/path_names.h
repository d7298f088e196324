#pragma once
// Checks on names and paths that come from the registry before paths are built from them.
#include <cstddef>
#include <string>

// One path component that stays where it is put: not empty, not "." or "..", no separator,
// drive colon, wildcard, quote or control character.
bool IsPlainName(const std::string& name);

// The length of an absolute path's root ("X:\" or "\\server\share\"), or 0 when the path
// has none (relative, drive-relative, or a malformed share).
size_t PathRootLength(const std::string& path);
