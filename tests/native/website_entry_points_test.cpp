#include <com_vantora_adminserver_helper_ws_IISConfigure.h>
#include <gtest/gtest.h>

#include "support/entry_point_fixture.h"
#include "support/metabase_image.h"

namespace {

using WebSiteEntryPointsTest = EntryPointTest;

TEST_F(WebSiteEntryPointsTest, StringResultsAreNullOnFailureAndEmptyForAnEmptyValue) {
  jstring root = Java_com_vantora_adminserver_helper_ws_IISConfigure_jniGetDocumentRootPath(fake.Env(), nullptr);
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(fake.Made(root), u"C:\\Inetpub\\wwwroot");
  EXPECT_EQ(Java_com_vantora_adminserver_helper_ws_IISConfigure_jniGetDefaultEncoding(fake.Env(), nullptr), nullptr);
  EXPECT_EQ(fake.newStringCalls, 1) << "no NewString for a failure";
  Java_com_vantora_adminserver_helper_ws_IISConfigure_jniSetDefaultEncoding(fake.Env(), nullptr, fake.String(u""));
  jstring charset = Java_com_vantora_adminserver_helper_ws_IISConfigure_jniGetDefaultEncoding(fake.Env(), nullptr);
  ASSERT_NE(charset, nullptr);
  EXPECT_EQ(fake.Made(charset), u"");
}

TEST_F(WebSiteEntryPointsTest, ArgumentsArriveInOrderAndCodesBecomeBooleans) {
  EXPECT_EQ(Java_com_vantora_adminserver_helper_ws_IISConfigure_jniCreateVirtualDirectory(
                fake.Env(), nullptr, fake.String(u"docs"), fake.String(u"D:\\docs")),
            JNI_TRUE);
  EXPECT_EQ(fake.events, (std::vector<std::string>{"get docs", "get D:\\docs", "release D:\\docs", "release docs"}));
  EXPECT_EQ((*ImageRecord(Image(), "/LM/W3SVC/1/ROOT/docs", 3001))["value"], "D:\\docs");
  EXPECT_EQ(Java_com_vantora_adminserver_helper_ws_IISConfigure_jniCreateJakartaVirtualDirectory(
                fake.Env(), nullptr, fake.String(u"jk"), fake.String(u"C:\\jk")),
            JNI_TRUE);
  EXPECT_EQ((*ImageRecord(Image(), "/LM/W3SVC/1/ROOT/jk", 3001))["value"], "C:\\jk");
  EXPECT_EQ(
      Java_com_vantora_adminserver_helper_ws_IISConfigure_jniBackupMetabase(fake.Env(), nullptr, fake.String(u"b")),
      JNI_TRUE);
  EXPECT_EQ(
      Java_com_vantora_adminserver_helper_ws_IISConfigure_jniRestoreMetabase(fake.Env(), nullptr, fake.String(u"none")),
      JNI_FALSE);
  // A positive status is not success.
  Reset(WithFault(Stock(), {{"call", "SaveData"}, {"status", 1}}));
  EXPECT_EQ(Java_com_vantora_adminserver_helper_ws_IISConfigure_jniCreateVirtualDirectory(
                fake.Env(), nullptr, fake.String(u"docs"), fake.String(u"D:\\docs")),
            JNI_FALSE);
}

}  // namespace
