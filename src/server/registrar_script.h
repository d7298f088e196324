#pragma once
// Registration scripts in the registrar grammar of the Active Template Library, parsed in
// full before anything is written, then turned into a flat, ordered list of registry steps.
//
//   HKCR                              root: HKCR, HKCU, HKLM, HKU or their HKEY_ names
//   {
//       NoRemove AppID                a key kept on unregistration
//       {
//           {...} = s 'Purgon'        a key (bare or quoted name) with a default string value
//           'Purgon.EXE'
//           {
//               val AppID = s {...}   a named string value
//           }
//       }
//   }
//
// Names and strings are bare words or single-quoted ('' stands for one quote). Words are
// separated by white space; "{" and "}" alone are block braces. %NAME% is replaced by the
// value of a replacement variable and %% by one percent sign, inside quotes as well; the
// replacement never changes how the script splits into words.
#include <string>
#include <vector>

enum class RegistrarRoot { ClassesRoot, CurrentUser, LocalMachine, Users };

struct RegistrarValue {
  std::string name;  // empty: the key's default value
  std::string data;  // REG_SZ text
};

// One key the script names, in script order (parents before their children).
struct RegistrarKey {
  RegistrarRoot root = RegistrarRoot::ClassesRoot;
  std::string path;  // below the root, names joined by backslashes
  bool noRemove = false;
  std::vector<RegistrarValue> values;  // the default value (if given) first
};

struct RegistrarVariable {
  const char* name;  // compared ignoring ASCII case
  std::string value;
};

struct RegistrarParse {
  bool ok = false;
  std::string error;  // what was wrong and where (offset into the text), when !ok
  std::vector<RegistrarKey> keys;
};

// Limits that keep a hostile script from exhausting the stack, the registry or memory.
constexpr size_t kRegistrarMaxDepth = 32;       // nested keys below a root
constexpr size_t kRegistrarMaxNameLength = 255;  // one key or value name
constexpr size_t kRegistrarMaxPathLength = 1024;

// Parses the whole script; on any error the result has ok == false and no keys.
RegistrarParse ParseRegistrarScript(const std::string& text,
                                    const std::vector<RegistrarVariable>& variables);

// One registry step. Registration creates keys and sets values in script order;
// unregistration deletes the named values and then each removable key, children first. A
// key is deleted only when no sub-key is left in it, so keys the script does not name are
// never deleted with it.
struct RegistrarStep {
  enum Kind { CreateKey, SetString, DeleteValue, DeleteKeyIfNoSubKeys } kind;
  RegistrarRoot root;
  std::string path;
  std::string name;  // value name (SetString, DeleteValue)
  std::string data;  // SetString
};

std::vector<RegistrarStep> PlanRegistration(const std::vector<RegistrarKey>& keys, bool registering);
