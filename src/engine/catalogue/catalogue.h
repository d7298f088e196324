#pragma once
// A registry catalogue: a client's fixed list of registry removals, one row each, run in its
// order. Both clients' catalogues are rows of this one type, portable data; the Windows side
// (catalogue_runner.h) runs them.
#include <cstddef>
#include <string>

// The registry roots a row names.
enum class CatalogueRoot { ClassesRoot, CurrentUser, LocalMachine };

enum class CatalogueAction {
  DeleteKeyTree,           // the key with everything below it
  DeleteValuesContaining,  // every value whose name contains the pattern, case ignored
  TakeQueueOperations,     // the client's operations out of the queue values the pattern names
};

// A row whose path ends in no identifier.
const int kNoIdentifier = -1;

struct CatalogueRow {
  CatalogueAction action;
  CatalogueRoot root;
  const char* path;     // the key path, or its beginning when `id` is set
  int id;               // the client's identifier slot that ends the path, or kNoIdentifier
  const char* pattern;  // the value-name pattern of the value actions, else null
};

// One client's catalogue: its rows in order, the text of its identifier slots ("" for
// kNoIdentifier), and what marks its own operations in the queue of file operations (a path
// with a component that begins with it, case ignored; null when it has none).
struct Catalogue {
  const CatalogueRow* rows;
  size_t size;
  const char* (*identifier)(int slot);
  const char* queueOwner;
};

// The row's full key path: its path followed by its identifier.
std::string CatalogueKeyPath(const Catalogue& catalogue, const CatalogueRow& row);
