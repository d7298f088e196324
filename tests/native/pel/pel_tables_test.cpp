// The PEL client's identifiers, editions and registry catalogue.
#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "engine/text/case_folding.h"
#include "pel/brand_editions.h"
#include "pel/pel_catalogue.h"
#include "pel/pel_ids.h"
#include "pel_id_labels.h"

namespace {

bool IsBracedGuid(const std::string& s) {
  if (s.size() != 38 || s.front() != '{' || s.back() != '}') return false;
  for (size_t i = 1; i < 37; ++i) {
    const bool hyphen = i == 9 || i == 14 || i == 19 || i == 24;
    if (hyphen ? s[i] != '-' : !std::isxdigit(static_cast<unsigned char>(s[i]))) return false;
  }
  return true;
}

TEST(PelIds, EverySlotHoldsItsOwnBracedGuid) {
  std::set<std::string> seen;
  for (int slot = 0; slot < PEL_ID_SLOT_COUNT; ++slot) {
    const std::string id = PelId(static_cast<PelIdSlot>(slot));
    EXPECT_TRUE(IsBracedGuid(id)) << PelIdLabel(static_cast<PelIdSlot>(slot)) << ": " << id;
    EXPECT_TRUE(seen.insert(id).second) << "used twice: " << id;
  }
  EXPECT_EQ(seen.size(), 44u);  // 35 of the catalogue, 8 product codes, the control interface
  EXPECT_STREQ(PelId(static_cast<PelIdSlot>(kNoIdentifier)), "");
}

// Every cell of the eight editions, against a copy of the table kept here: each name builds
// paths and keys of its own, so a renamed company or product leaves that edition behind.
TEST(BrandEditions, EveryCellOfTheEightRowsInOrder) {
  const struct {
    const char* editionId;
    const char* companyName;
    const char* productName;
    const char* productCode;
  } kExpected[] = {
      {"Varenta", "Varenta", "Varenta Delivery Manager", "P1"},
      {"Tolvik", "Tolvik", "Tolvik Download Manager", "P2"},
      {"brennor", "Brennor", "Brennor Download Manager", "P3"},
      {"casimar", "Casimar", "Casimar Download Manager", "P4"},
      {"delvaro", "Delvaro News", "Delvaro News", "P5"},
      {"gw", "Gantry and Wells", "Gantry and Wells Download Manager", "P6"},
      {"hestra", "Hestra Communications", "Hestra Delivery Manager", "P7"},
      {"jorvell", "Jorvell", "Jorvell Delivery Manager", "P8"},
  };
  ASSERT_EQ(kBrandEditionCount, sizeof(kExpected) / sizeof(kExpected[0]));
  for (size_t i = 0; i < kBrandEditionCount; ++i) {
    SCOPED_TRACE("row " + std::to_string(i + 1));
    EXPECT_STREQ(kBrandEditions[i].editionId, kExpected[i].editionId);
    EXPECT_STREQ(kBrandEditions[i].companyName, kExpected[i].companyName);
    EXPECT_STREQ(kBrandEditions[i].productName, kExpected[i].productName);
    EXPECT_STREQ(PelIdLabel(kBrandEditions[i].productCode), kExpected[i].productCode);
  }
}

// How often each slot ends a catalogue key: C1 and C9 twice (two places each), U1 twice
// (machine and user), every other catalogue slot once; product codes and the interface never.
TEST(PelCatalogue, EachIdentifierNamesItsKeysAndNothingElse) {
  std::map<std::string, int> uses;
  for (const CatalogueRow& e : kPelCatalogueRows)
    if (e.id != kNoIdentifier) ++uses[PelIdLabel(static_cast<PelIdSlot>(e.id))];
  for (int slot = PEL_C1; slot <= PEL_U1; ++slot) {
    const std::string label = PelIdLabel(static_cast<PelIdSlot>(slot));
    const int expected = (label == "C1" || label == "C9" || label == "U1") ? 2 : 1;
    EXPECT_EQ(uses[label], expected) << label;
  }
  EXPECT_EQ(uses.size(), 35u);
}

// Every row names a well-formed key once; all remove a key tree but the shared-DLL counters,
// whose values naming the client go and whose key stays.
TEST(PelCatalogue, EachKeyOnceAndOnlyTheSharedDllCountersByValue) {
  std::set<std::pair<CatalogueRoot, std::string>> keys;
  int valueRows = 0;
  for (const CatalogueRow& row : kPelCatalogueRows) {
    const std::string key = CatalogueKeyPath(kPelCatalogue, row);
    ASSERT_FALSE(key.empty());
    EXPECT_NE(key.back(), '\\') << key;
    EXPECT_EQ(key.find("\\\\"), std::string::npos) << key;
    EXPECT_TRUE(keys.insert({row.root, LowerAsciiLetters(key)}).second) << "twice: " << key;
    if (row.action == CatalogueAction::DeleteKeyTree) continue;
    ++valueRows;
    EXPECT_EQ(row.action, CatalogueAction::DeleteValuesContaining);
    EXPECT_EQ(row.root, CatalogueRoot::LocalMachine);
    EXPECT_EQ(key, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs");
    EXPECT_STREQ(row.pattern, "Varenta");
  }
  EXPECT_EQ(valueRows, 1);
}

// The machine's own classes are addressed in the machine's hive, never through the merged view
// (which a user's classes override); and the client's uninstall entry, machine and user, goes
// last, so a run cut short still leaves the client listed for removal.
TEST(PelCatalogue, MachineClassesDirectlyAndTheUninstallEntryLast) {
  const std::string machineClasses = "software\\classes\\";
  size_t machineClassRows = 0;
  for (const CatalogueRow& row : kPelCatalogueRows) {
    const std::string key = LowerAsciiLetters(CatalogueKeyPath(kPelCatalogue, row));
    if (key.rfind(machineClasses, 0) != 0) continue;
    ++machineClassRows;
    EXPECT_EQ(row.root, CatalogueRoot::LocalMachine) << key;
  }
  EXPECT_GT(machineClassRows, 0u);
  const std::string uninstall = std::string("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\") + PelId(PEL_U1);
  std::vector<CatalogueRoot> uninstallRoots;
  for (size_t i = 0; i < kPelCatalogueSize; ++i) {
    if (CatalogueKeyPath(kPelCatalogue, kPelCatalogueRows[i]) != uninstall) continue;
    uninstallRoots.push_back(kPelCatalogueRows[i].root);
    EXPECT_GE(i + 2, kPelCatalogueSize) << "the uninstall entry is followed by other rows";
  }
  EXPECT_EQ(uninstallRoots, (std::vector<CatalogueRoot>{CatalogueRoot::LocalMachine, CatalogueRoot::CurrentUser}));
}

}  // namespace
