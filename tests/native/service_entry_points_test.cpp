#include <com_vantora_adminserver_helper_ws_IISConfigure.h>
#include <gtest/gtest.h>

#include "support/entry_point_fixture.h"

namespace {

using ServiceEntryPointsTest = EntryPointTest;

TEST_F(ServiceEntryPointsTest, AnswersWhatTheServicesAre) {
  EXPECT_EQ(Java_com_vantora_adminserver_helper_ws_IISConfigure_jniIsIISWebserverRunning(fake.Env(), nullptr),
            JNI_TRUE);
  EXPECT_EQ(Java_com_vantora_adminserver_helper_ws_IISConfigure_jniIsIISInstalled(fake.Env(), nullptr), JNI_TRUE);
  Reset(Json::parse(R"({"winsim": 1, "services": [{"name": "W3SVC", "state": 1}]})"));
  EXPECT_EQ(Java_com_vantora_adminserver_helper_ws_IISConfigure_jniIsIISWebserverRunning(fake.Env(), nullptr),
            JNI_FALSE);
  EXPECT_EQ(Java_com_vantora_adminserver_helper_ws_IISConfigure_jniIsIISInstalled(fake.Env(), nullptr), JNI_FALSE);
}

TEST_F(ServiceEntryPointsTest, StartsTheAdminServiceByItsFixedName) {
  Reset(WithService(Stock(), "IISADMIN", {{"state", 1}}));
  Java_com_vantora_adminserver_helper_ws_IISConfigure_jniStartIISAdminService(fake.Env(), nullptr);
  ASSERT_EQ(Calls("OpenServiceW").size(), 1u);
  EXPECT_EQ(Calls("OpenServiceW")[0]["serviceName"], "IISADMIN");
  EXPECT_EQ(Calls("StartServiceW")[0]["result"], 1);
}

}  // namespace
