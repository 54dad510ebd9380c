#include "system/jakarta_registry_entries.h"

#include <gtest/gtest.h>

#include "support/host_fixture.h"
#include "support/registry_image.h"

namespace {

const char kFoundation[] = "SOFTWARE\\Apache Software Foundation";
const char kRedirector[] = "SOFTWARE\\Apache Software Foundation\\Jakarta Isapi Redirector";
const char kVersion[] = "SOFTWARE\\Apache Software Foundation\\Jakarta Isapi Redirector\\1.0";

Json Text(const std::string& name, const std::string& data) { return {{"name", name}, {"type", 1}, {"data", data}}; }

class JakartaRegistryEntriesTest : public HostTest {
 protected:
  static void Create() {
    CreateJakartaRegistryEntries(u"C:\\log\\isapi.log", u"C:\\conf\\workers.properties",
                                 u"C:\\conf\\uriworkermap.properties", u"isapi_redirect.dll");
  }
  static Json Values() { return RegistryKeyAt(Image(), kVersion)["values"]; }
  static const Json& FiveValues() {
    static const Json values = Json::array({Text("log_file", "C:\\log\\isapi.log"), Text("log_level", "error"),
                                            Text("worker_file", "C:\\conf\\workers.properties"),
                                            Text("worker_mount_file", "C:\\conf\\uriworkermap.properties"),
                                            Text("extension_uri", "/jakarta/isapi_redirect.dll")});
    return values;
  }
};

TEST_F(JakartaRegistryEntriesTest, OnAFreshRegistryBuildsTheChainAndWritesFiveValues) {
  Create();
  EXPECT_EQ(RegistryKeyAt(Image(), kFoundation)["children"].size(), 1u);
  EXPECT_EQ(RegistryKeyAt(Image(), kVersion),
            Json({{"name", "1.0"}, {"values", FiveValues()}, {"children", Json::array()}}));
  EXPECT_EQ(CallNames(), (std::vector<std::string>{
                             "RegOpenKeyExW", "RegCreateKeyExW", "RegCloseKey", "RegCreateKeyExW", "RegCloseKey",
                             "RegCreateKeyExW", "RegCloseKey", "RegCloseKey", "RegOpenKeyExW", "RegSetValueExW",
                             "RegSetValueExW", "RegSetValueExW", "RegSetValueExW", "RegSetValueExW", "RegCloseKey"}));
  const auto opens = Calls("RegOpenKeyExW");
  EXPECT_EQ(opens[0]["subKey"], "SOFTWARE");
  EXPECT_EQ(opens[1]["subKey"], kVersion);
  const auto creates = Calls("RegCreateKeyExW");
  EXPECT_EQ(creates[0]["subKey"], "Apache Software Foundation");
  EXPECT_EQ(creates[1]["subKey"], "Apache Software Foundation\\Jakarta Isapi Redirector");
  EXPECT_EQ(creates[2]["subKey"], "Apache Software Foundation\\Jakarta Isapi Redirector\\1.0");
  for (const auto& create : creates) EXPECT_EQ(create["access"], 0xF003F);
  const auto sets = Calls("RegSetValueExW");
  const int lengths[] = {34, 12, 54, 64, 56};  // characters × 2 + 2
  for (size_t i = 0; i < sets.size(); ++i) {
    EXPECT_EQ(sets[i]["type"], 1);
    EXPECT_EQ(sets[i]["length"], lengths[i]) << sets[i]["valueName"];
  }
}

TEST_F(JakartaRegistryEntriesTest, EmptyArgumentsAreWrittenAsEmptyTextAfterTheFixedPrefix) {
  CreateJakartaRegistryEntries(u"", u"", u"", u"");
  EXPECT_EQ(Values(), Json::array({Text("log_file", ""), Text("log_level", "error"), Text("worker_file", ""),
                                   Text("worker_mount_file", ""), Text("extension_uri", "/jakarta/")}));
  std::vector<int> lengths;
  for (const auto& set : Calls("RegSetValueExW")) lengths.push_back(set["length"]);
  EXPECT_EQ(lengths, (std::vector<int>{2, 12, 2, 2, 20}));
}

TEST_F(JakartaRegistryEntriesTest, ExistingKeysAreReusedAndOtherValuesKept) {
  Json image = WithRegistryValue(Stock(), kVersion, Text("log_level", "debug"));
  image = WithRegistryValue(image, kVersion, Text("custom", "kept"));
  image = WithRegistryKey(image, "SOFTWARE\\Apache Software Foundation\\Other Product");
  Reset(image);
  Create();
  const Json five = FiveValues();
  EXPECT_EQ(Values(), Json::array({five[1], Text("custom", "kept"), five[0], five[2], five[3], five[4]}))
      << "log_level replaced in its place, new values last";
  EXPECT_EQ(RegistryKeyAt(Image(), kFoundation)["children"].size(), 2u);
  EXPECT_EQ(RegistryKeyAt(Image(), kRedirector)["children"].size(), 1u);
}

TEST_F(JakartaRegistryEntriesTest, AChainThatCannotBeBuiltWritesNothing) {
  for (const char* key : {"Apache Software Foundation", "Apache Software Foundation\\Jakarta Isapi Redirector",
                          "Apache Software Foundation\\Jakarta Isapi Redirector\\1.0"}) {
    Json image = Stock();
    image["faults"] = Json::array({{{"call", "RegCreateKeyExW"}, {"name", key}, {"status", 5}}});
    Reset(image);
    Create();
    EXPECT_TRUE(Calls("RegSetValueExW").empty()) << key;
    EXPECT_EQ(Calls("RegOpenKeyExW").size(), 1u) << key;
  }
}

TEST_F(JakartaRegistryEntriesTest, RemovalDeletesFromTheDeepestKeyUp) {
  Create();
  Reset(Image());
  RemoveJakartaRegistryEntries();
  EXPECT_TRUE(RegistryKeyAt(Image(), kFoundation).is_null());
  const auto deletes = Calls("RegDeleteKeyW");
  ASSERT_EQ(deletes.size(), 3u);
  EXPECT_EQ(deletes[0]["subKey"], "1.0");
  EXPECT_EQ(deletes[1]["subKey"], "Jakarta Isapi Redirector");
  EXPECT_EQ(deletes[2]["subKey"], "Apache Software Foundation");
  const auto opens = Calls("RegOpenKeyExW");
  EXPECT_EQ(opens[0]["subKey"], kRedirector);
  EXPECT_EQ(opens[1]["subKey"], kFoundation);
  EXPECT_EQ(opens[2]["subKey"], "SOFTWARE");
  for (const auto& open : opens) EXPECT_EQ(open["access"], 3);
}

TEST_F(JakartaRegistryEntriesTest, RemovalKeepsWhatStillHasSubkeys) {
  const struct {
    const char* what;
    const char* extraKey;
    std::vector<int> deleteResults;
    std::vector<const char*> kept, gone;
  } cases[] = {
      {"another product beside the redirector",
       "SOFTWARE\\Apache Software Foundation\\Other Product",
       {0, 0, 5},
       {kFoundation, "SOFTWARE\\Apache Software Foundation\\Other Product"},
       {kRedirector}},
      {"a subkey under 1.0",
       "SOFTWARE\\Apache Software Foundation\\Jakarta Isapi Redirector\\1.0\\Sub",
       {5, 5, 5},
       {kFoundation, kRedirector, kVersion},
       {}},
  };
  for (const auto& c : cases) {
    Reset(WithRegistryKey(WithRegistryValue(Stock(), kVersion, Text("log_level", "error")), c.extraKey));
    RemoveJakartaRegistryEntries();
    std::vector<int> results;
    for (const auto& line : Calls("RegDeleteKeyW")) results.push_back(line["result"]);
    EXPECT_EQ(results, c.deleteResults) << c.what;
    for (const char* key : c.kept) EXPECT_FALSE(RegistryKeyAt(Image(), key).is_null()) << c.what << ": " << key;
    for (const char* key : c.gone) EXPECT_TRUE(RegistryKeyAt(Image(), key).is_null()) << c.what << ": " << key;
  }
}

}  // namespace
