// The image as the host reads and writes it: the rule of names and the value
// forms the tools share through the fixtures.
#include <gtest/gtest.h>

#include <fstream>

#include "codec.h"
#include "support/host_fixture.h"

namespace {

Json Fixture(const char* name) { return Json::parse(std::ifstream(std::string(TEST_FIXTURES) + name)); }

TEST(HostImageFixtures, NamesFoldAndValuesTakeTheirFormsAsTheToolsExpect) {
  const Json names = Fixture("name-folding.json"), forms = Fixture("value-forms.json");
  for (const std::string rule : {"same", "different"}) {
    for (const auto& pair : names[rule])
      EXPECT_EQ(winsim::Fold(winsim::ToUtf16(pair[0])) == winsim::Fold(winsim::ToUtf16(pair[1])), rule == "same")
          << pair;
  }
  for (const bool registry : {true, false}) {
    for (const auto& entry : forms[registry ? "registry" : "metabase"]) {
      const char* field = registry ? "data" : "value";
      const auto form = registry ? winsim::RegistryForm(entry["type"]) : winsim::MetabaseForm(entry["dataType"]);
      const winsim::Bytes bytes = winsim::EntryBytes(entry["image"], field, form, "");
      EXPECT_EQ(winsim::ToHex(bytes.data(), bytes.size()), entry["bytes"]) << entry;
      Json written;
      winsim::PutBytes(written, field, form, bytes);
      EXPECT_EQ(written, entry["image"]) << entry;
    }
  }
}

}  // namespace
