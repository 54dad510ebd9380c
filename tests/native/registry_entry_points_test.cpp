#include <com_vantora_adminserver_helper_ws_IISConfigure.h>
#include <gtest/gtest.h>

#include "support/entry_point_fixture.h"
#include "support/registry_image.h"

namespace {

const char kVersion[] = "SOFTWARE\\Apache Software Foundation\\Jakarta Isapi Redirector\\1.0";

using RegistryEntryPointsTest = EntryPointTest;

TEST_F(RegistryEntryPointsTest, RedirectorEntriesTakeTheFourStringsInOrder) {
  Java_com_vantora_adminserver_helper_ws_IISConfigure_jniCreateJakartaRegistryEntries(
      fake.Env(), nullptr, fake.String(u"log"), fake.String(u"workers"), fake.String(u"mount"),
      fake.String(u"ext.dll"));
  const Json values = RegistryKeyAt(Image(), kVersion)["values"];
  ASSERT_EQ(values.size(), 5u);
  EXPECT_EQ(values[0]["data"], "log");
  EXPECT_EQ(values[2]["data"], "workers");
  EXPECT_EQ(values[3]["data"], "mount");
  EXPECT_EQ(values[4]["data"], "/jakarta/ext.dll");
}

TEST_F(RegistryEntryPointsTest, PathAndIniMethodsTakeTheTextUpToANul) {
  Java_com_vantora_adminserver_helper_ws_IISConfigure_jniAddPHPPathToEnvironmentVariable(
      fake.Env(), nullptr, fake.String(std::u16string(u"C:\\PHP\0junk", 11)));
  EXPECT_EQ(RegistryValueAt(Image(), kEnvironmentKey, "PHPRC")["data"], "C:\\PHP");
  EXPECT_EQ(Image()["broadcasts"].size(), 1u);
  Java_com_vantora_adminserver_helper_ws_IISConfigure_jniRemovePHPPathFromEnvironmentVariable(fake.Env(), nullptr,
                                                                                              fake.String(u"C:\\PHP"));
  EXPECT_EQ(RegistryValueAt(Image(), kEnvironmentKey, "Path"), RegistryValueAt(Stock(), kEnvironmentKey, "Path"));
  Java_com_vantora_adminserver_helper_ws_IISConfigure_jniCreatePHPINIRegistryEntries(fake.Env(), nullptr,
                                                                                     fake.String(u"C:\\PHP"));
  EXPECT_EQ(RegistryValueAt(Image(), "SOFTWARE\\PHP", "IniFilePath")["data"], "C:\\PHP");
}

TEST_F(RegistryEntryPointsTest, ANullStringChangesNothing) {
  Java_com_vantora_adminserver_helper_ws_IISConfigure_jniCreateJakartaRegistryEntries(
      fake.Env(), nullptr, fake.String(u"log"), nullptr, fake.String(u"mount"), fake.String(u"ext"));
  Java_com_vantora_adminserver_helper_ws_IISConfigure_jniCreatePHPINIRegistryEntries(fake.Env(), nullptr, nullptr);
  Java_com_vantora_adminserver_helper_ws_IISConfigure_jniAddPHPPathToEnvironmentVariable(fake.Env(), nullptr, nullptr);
  Java_com_vantora_adminserver_helper_ws_IISConfigure_jniRemovePHPPathFromEnvironmentVariable(
      fake.Env(), nullptr, fake.StringWithoutChars(u"C:\\PHP"));
  EXPECT_TRUE(Journal().empty());
}

}  // namespace
