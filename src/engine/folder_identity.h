#pragma once
// Folders told apart by what they are on disk (volume serial number and file index), not by
// how their path is spelled: a short name, a ".." after a missing folder or a link in the
// middle of a path all lead to the same identity.
#include <windows.h>

#include <string>

#include "engine/handles.h"

// What the walk may do with a folder it is about to empty.
enum class FolderEntry {
  Held,     // open, not protected: its entries may go
  Gone,     // not there (any more), or a file: nothing to do, nothing to report
  Link,     // a junction or directory link: only the link itself may go
  Refused,  // a protected folder, or one whose identity cannot be read
};

// Holds a folder open while its entries are deleted, without delete sharing, so that it can
// be neither renamed nor replaced by a link until the walk is done with it.
class HeldFolder {
 public:
  // Opens `path` (a folder path, with or without its trailing backslash) without following
  // a final link and decides what may be done with it. On Windows 9x, where folders cannot
  // be opened, every folder is Held and nothing is checked here (the path rules still are).
  FolderEntry Enter(const std::string& path);
  // Lets go of the folder, just before it is removed itself.
  void Release() { handle_.Reset(); }

 private:
  KernelHandle handle_;
};
