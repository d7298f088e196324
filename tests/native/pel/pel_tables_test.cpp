// The PEL client's identifiers, editions and registry catalogue.
#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <set>
#include <string>

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

TEST(PelCatalogue, SeventySixKeyTreesAndTheSharedDllCountersAtPlace75) {
  ASSERT_EQ(kPelCatalogueSize, 77u);
  for (size_t i = 0; i < kPelCatalogueSize; ++i) {
    const CatalogueRow& e = kPelCatalogueRows[i];
    const std::string key = CatalogueKeyPath(kPelCatalogue, e);
    EXPECT_FALSE(key.empty());
    EXPECT_NE(key.back(), '\\') << "entry " << i + 1;
    EXPECT_EQ(key.find("\\\\"), std::string::npos) << "entry " << i + 1;
    if (i == 74) {
      EXPECT_EQ(e.action, CatalogueAction::DeleteValuesContaining);
      EXPECT_EQ(e.root, CatalogueRoot::LocalMachine);
      EXPECT_EQ(key, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs");
      EXPECT_STREQ(e.pattern, "Varenta");
    } else {
      EXPECT_EQ(e.action, CatalogueAction::DeleteKeyTree) << "entry " << i + 1;
    }
  }
  // The machine-wide classes are addressed directly, not through the merged view.
  for (size_t i = 56; i < 74; ++i) {
    EXPECT_EQ(kPelCatalogueRows[i].root, CatalogueRoot::LocalMachine);
    EXPECT_EQ(CatalogueKeyPath(kPelCatalogue, kPelCatalogueRows[i]).rfind("SOFTWARE\\Classes\\", 0), 0u) << i + 1;
  }
  EXPECT_EQ(CatalogueKeyPath(kPelCatalogue, kPelCatalogueRows[8]), std::string("CLSID\\") + PelId(PEL_C4));
  EXPECT_EQ(CatalogueKeyPath(kPelCatalogue, kPelCatalogueRows[76]),
            std::string("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\") + PelId(PEL_U1));
}

}  // namespace
