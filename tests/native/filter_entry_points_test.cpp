#include <com_vantora_adminserver_helper_ws_IISConfigure.h>
#include <gtest/gtest.h>

#include "support/entry_point_fixture.h"
#include "support/metabase_image.h"

namespace {

using FilterEntryPointsTest = EntryPointTest;

TEST_F(FilterEntryPointsTest, PassTheStringsInOrderAndConvertTheResults) {
  JNIEnv* env = fake.Env();
  EXPECT_EQ(Java_com_vantora_adminserver_helper_ws_IISConfigure_jniIsPHPEnabled(env, nullptr), JNI_FALSE);
  EXPECT_EQ(Java_com_vantora_adminserver_helper_ws_IISConfigure_jniInstallIsapiRedirectFilter(
                env, nullptr, fake.String(u"jakarta"), fake.String(u"C:\\jk.dll")),
            JNI_TRUE);
  EXPECT_EQ((*ImageRecord(Image(), "/LM/W3SVC/Filters/jakarta", 2041))["value"], "C:\\jk.dll");
  EXPECT_EQ(Java_com_vantora_adminserver_helper_ws_IISConfigure_jniInstallIsapiRedirectFilter(
                env, nullptr, fake.String(u"a,b"), fake.String(u"C:\\jk.dll")),
            JNI_FALSE);
  // The text before an embedded NUL is the module path.
  EXPECT_EQ(Java_com_vantora_adminserver_helper_ws_IISConfigure_jniInstallVantoraPHPModule(
                env, nullptr, fake.String(std::u16string(u"C:\\php.dll\0junk", 15))),
            JNI_TRUE);
  EXPECT_EQ(Java_com_vantora_adminserver_helper_ws_IISConfigure_jniIsVantoraPHPInstalled(env, nullptr,
                                                                                         fake.String(u"C:\\php.dll")),
            JNI_TRUE);
  EXPECT_EQ(Java_com_vantora_adminserver_helper_ws_IISConfigure_jniIsPHPEnabled(env, nullptr), JNI_TRUE);
  EXPECT_EQ(
      Java_com_vantora_adminserver_helper_ws_IISConfigure_jniInstallVantoraPHPModule(env, nullptr, fake.String(u"")),
      JNI_FALSE);
  Java_com_vantora_adminserver_helper_ws_IISConfigure_jniUpateWebExRestrictionList(
      env, nullptr, fake.String(u"PHP,PHP"), fake.String(u"C:\\php.dll"));
  EXPECT_EQ((*ImageRecord(Image(), "/LM/W3SVC", 2168))["value"].back(), "1,C:\\php.dll,1,PHP,PHP");
  EXPECT_EQ(fake.newStringCalls, 0);
}

TEST_F(FilterEntryPointsTest, ANullStringRunsNothing) {
  JNIEnv* env = fake.Env();
  EXPECT_EQ(Java_com_vantora_adminserver_helper_ws_IISConfigure_jniInstallIsapiRedirectFilter(
                env, nullptr, fake.String(u"jakarta"), nullptr),
            JNI_FALSE);
  EXPECT_EQ(Java_com_vantora_adminserver_helper_ws_IISConfigure_jniIsVantoraPHPInstalled(env, nullptr, nullptr),
            JNI_FALSE);
  Java_com_vantora_adminserver_helper_ws_IISConfigure_jniUpateWebExRestrictionList(env, nullptr, nullptr,
                                                                                   fake.String(u"x"));
  EXPECT_TRUE(Journal().empty());
}

}  // namespace
