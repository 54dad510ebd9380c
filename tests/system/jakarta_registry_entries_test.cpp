#include "system/jakarta_registry_entries.h"

#include <gtest/gtest.h>

#include "support/host_fixture.h"

namespace {

const char kFoundation[] = "SOFTWARE\\Apache Software Foundation";
const char kRedirector[] = "SOFTWARE\\Apache Software Foundation\\Jakarta Isapi Redirector";
const char kVersion[] = "SOFTWARE\\Apache Software Foundation\\Jakarta Isapi Redirector\\1.0";

class JakartaRegistryEntriesTest : public HostTest {};

TEST_F(JakartaRegistryEntriesTest, BuildsTheChainAndWritesTheFiveValuesKeepingOthers) {
  Json image = WithRegistryValue(Stock(), kVersion, Text("log_level", "debug"));
  image = WithRegistryValue(image, kVersion, Text("custom", "kept"));
  const struct {
    Json image;
    Json values;
  } cases[] = {
      {Stock(),
       {Text("log_file", "log"), Text("log_level", "error"), Text("worker_file", "workers"),
        Text("worker_mount_file", "mount"), Text("extension_uri", "/jakarta/ext.dll")}},
      {image,
       {Text("log_level", "error"), Text("custom", "kept"), Text("log_file", "log"), Text("worker_file", "workers"),
        Text("worker_mount_file", "mount"), Text("extension_uri", "/jakarta/ext.dll")}},
  };
  for (const auto& c : cases) {
    Reset(c.image);
    CreateJakartaRegistryEntries(u"log", u"workers", u"mount", u"ext.dll");
    EXPECT_EQ(RegistryKeyAt(Image(), kVersion)["values"], c.values);
    std::vector<std::string> created;
    for (const auto& line : Calls("RegCreateKeyExW")) created.push_back(line["subKey"]);
    EXPECT_EQ(created, (std::vector<std::string>{"Apache Software Foundation",
                                                 "Apache Software Foundation\\Jakarta Isapi Redirector",
                                                 "Apache Software Foundation\\Jakarta Isapi Redirector\\1.0"}));
  }
}

TEST_F(JakartaRegistryEntriesTest, RemovalDeletesFromTheDeepestKeyUpAndKeepsWhatStillHasSubkeys) {
  const char kOther[] = "SOFTWARE\\Apache Software Foundation\\Other Product";
  const struct {
    const char* extraKey;
    std::vector<int> deleteResults;
    std::vector<const char*> kept, gone;
  } cases[] = {
      {nullptr, {0, 0, 0}, {}, {kFoundation}},
      {kOther, {0, 0, 5}, {kFoundation, kOther}, {kRedirector}},
      {"SOFTWARE\\Apache Software Foundation\\Jakarta Isapi Redirector\\1.0\\Sub", {5, 5, 5}, {kVersion}, {}},
  };
  for (const auto& c : cases) {
    const Json image = WithRegistryValue(Stock(), kVersion, Text("log_level", "error"));
    Reset(c.extraKey ? WithRegistryKey(image, c.extraKey) : image);
    RemoveJakartaRegistryEntries();
    std::vector<int> results;
    std::vector<std::string> deleted;
    for (const auto& line : Calls("RegDeleteKeyW")) results.push_back(line["result"]);
    for (const auto& line : Calls("RegDeleteKeyW")) deleted.push_back(line["subKey"]);
    EXPECT_EQ(results, c.deleteResults);
    EXPECT_EQ(deleted, (std::vector<std::string>{"1.0", "Jakarta Isapi Redirector", "Apache Software Foundation"}));
    for (const char* key : c.kept) EXPECT_FALSE(RegistryKeyAt(Image(), key).is_null()) << key;
    for (const char* key : c.gone) EXPECT_TRUE(RegistryKeyAt(Image(), key).is_null()) << key;
  }
}

}  // namespace
