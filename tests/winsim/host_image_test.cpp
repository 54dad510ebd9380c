// The image as the host reads and writes it: the rule of names and the value
// forms the tools share through the fixtures, and images refused or kept whole.
#include <gtest/gtest.h>

#include <cstdio>
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

// Keys `depth` levels below a root, as text: the tests' JSON would recurse writing it.
std::string Chain(int depth, const char* list) {
  std::string open, close;
  for (int i = 0; i <= depth; ++i, close += "]}")
    open += R"({"name": "k", ")" + std::string(list) + R"(": [], "children": [)";
  return open + close;
}

// Loaded as at start-up; a refused image leaves one line and a bare machine.
TEST_F(HostTest, AnImageTooDeepIsRefusedAndAnyOtherComesBackAsItWas) {
  const std::string iis = R"({"winsim": 1, "iis": {"metabase": )", deep = " keys nest deeper than 512 levels";
  // An image, and why it is refused; the first holds, ahead of its metabase and
  // backups, strings that a writer splicing at markers would take for its own.
  const std::pair<std::string, std::string> cases[] = {
      {R"({"winsim": 1, "note": ["\u0001", "\u0002"], "iis": {"backups": [{"name": "", "version": 0, "metabase": )"
       R"({"name": ""}}], "metabase": )" +
           Chain(512, "records") + "}}",
       ""},
      {iis + Chain(513, "records") + "}}", "iis.metabase:" + deep},
      {R"({"winsim": 1, "registry": {"HKEY_LOCAL_MACHINE": )" + Chain(5000, "values") + "}}",
       "registry.HKEY_LOCAL_MACHINE:" + deep},
      {R"({"winsim": 1, "note": )" + std::string(5000, '[') + std::string(5000, ']') + "}",
       "the image: nests deeper than 1040 levels"},
  };
  const std::string path = testing::TempDir() + "image.json", bare = R"({"winsim": 1, "iis": null, "services": []})";
  for (const auto& [image, refusal] : cases) {
    std::ofstream(path) << image;
    testing::internal::CaptureStderr();
    winsim::ResetHostFromFile(path);
    const std::string line = "winsim: " + path + " is not a host image (" + refusal + "); starting a bare machine\n";
    EXPECT_EQ(testing::internal::GetCapturedStderr(), refusal.empty() ? "" : line);
    EXPECT_EQ(Image(), Json::parse(refusal.empty() ? image : bare));
  }
  std::remove(path.c_str());
}

}  // namespace
