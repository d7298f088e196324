#include "engine/rules/path_names.h"

namespace {

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

bool IsPlainName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (char c : name) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u < 32 || std::string("\\/:*?\"<>|").find(c) != std::string::npos) return false;
  }
  return true;
}

size_t PathRootLength(const std::string& path) {
  if (path.size() >= 3 && IsAsciiLetter(path[0]) && path[1] == ':' && path[2] == '\\') return 3;
  if (path.compare(0, 2, "\\\\") != 0) return 0;
  const size_t server = path.find('\\', 2);
  if (server == std::string::npos) return 0;
  const size_t share = path.find('\\', server + 1);
  if (share == std::string::npos) return 0;
  if (!IsPlainName(path.substr(2, server - 2)) ||
      !IsPlainName(path.substr(server + 1, share - server - 1)))
    return 0;
  return share + 1;
}
