// The PEL client's identifiers, editions and registry catalogue.
#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <set>
#include <string>

#include "pel/brand_editions.h"
#include "pel/pel_catalogue.h"
#include "pel/pel_ids.h"

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
  EXPECT_STREQ(PelId(PEL_NO_ID), "");
  EXPECT_STREQ(PelIdLabel(PEL_C4), "C4");
  EXPECT_STREQ(PelIdLabel(PEL_P8), "P8");
}

TEST(BrandEditions, EightRowsWithTheirOwnProductCodesInOrder) {
  ASSERT_EQ(kBrandEditionCount, 8u);
  const char* const ids[] = {"Varenta", "Tolvik", "brennor", "casimar",
                             "delvaro", "gw", "hestra", "jorvell"};
  for (size_t i = 0; i < kBrandEditionCount; ++i) {
    EXPECT_STREQ(kBrandEditions[i].editionId, ids[i]);
    EXPECT_EQ(kBrandEditions[i].productCode, static_cast<PelIdSlot>(PEL_P1 + i));
  }
  EXPECT_STREQ(kBrandEditions[4].companyName, kBrandEditions[4].productName);  // Delvaro News
}

// How often each slot ends a catalogue key: C1 and C9 twice (two places each), U1 twice
// (machine and user), every other catalogue slot once; product codes and the interface never.
TEST(PelCatalogue, EachIdentifierNamesItsKeysAndNothingElse) {
  std::map<std::string, int> uses;
  for (const PelCatalogueEntry& e : kPelCatalogue)
    if (e.id != PEL_NO_ID) ++uses[PelIdLabel(e.id)];
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
    const PelCatalogueEntry& e = kPelCatalogue[i];
    const std::string key = PelCatalogueKey(e);
    EXPECT_FALSE(key.empty());
    EXPECT_NE(key.back(), '\\') << "entry " << i + 1;
    EXPECT_EQ(key.find("\\\\"), std::string::npos) << "entry " << i + 1;
    if (i == 74) {
      EXPECT_EQ(e.op, PEL_DELETE_VALUES_CONTAINING);
      EXPECT_EQ(e.root, PEL_HKLM);
      EXPECT_EQ(key, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs");
      EXPECT_STREQ(e.pattern, "Varenta");
    } else {
      EXPECT_EQ(e.op, PEL_DELETE_KEY_TREE) << "entry " << i + 1;
    }
  }
  // The machine-wide classes are addressed directly, not through the merged view.
  for (size_t i = 56; i < 74; ++i) {
    EXPECT_EQ(kPelCatalogue[i].root, PEL_HKLM);
    EXPECT_EQ(PelCatalogueKey(kPelCatalogue[i]).rfind("SOFTWARE\\Classes\\", 0), 0u) << i + 1;
  }
  EXPECT_EQ(PelCatalogueKey(kPelCatalogue[8]), std::string("CLSID\\") + PelId(PEL_C4));
  EXPECT_EQ(PelCatalogueKey(kPelCatalogue[76]),
            std::string("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\") + PelId(PEL_U1));
}

}  // namespace
