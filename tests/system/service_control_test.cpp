#include "system/service_control.h"

#include <gtest/gtest.h>

#include <functional>

#include "support/host_fixture.h"

namespace {

class ServiceControlTest : public HostTest {};

TEST_F(ServiceControlTest, TheWebServerRunsWhenTheRunningBitIsSetWhoeverAsks) {
  for (int state = 1; state <= 7; ++state) {
    Json image = WithService(Stock(), "W3SVC", {{"state", state}});
    image["caller"]["administrator"] = state % 2 == 0;
    Reset(image);
    EXPECT_EQ(IsWebServerRunning(), state >= 4) << "state " << state;
  }
}

// The access each asks for, and the service handle closed before the manager.
TEST_F(ServiceControlTest, EachOperationAsksForItsAccessAndClosesTheServiceFirst) {
  const struct {
    std::function<bool()> run;
    uint32_t managerAccess, serviceAccess;
    const char* call;
  } cases[] = {
      {[] { return IsWebServerRunning(); }, 0x80000000u, 0x4, "QueryServiceStatusEx"},
      {[] { return IsServiceInstalled(u"IISADMIN"); }, 0xF003F, 0xF01FF, nullptr},
      {[] { return StartNamedService(u"IISADMIN"); }, 0xF003F, 0x10, "StartServiceW"},
  };
  for (const auto& c : cases) {
    Reset(WithService(Stock(), "IISADMIN", {{"state", 1}}));
    EXPECT_TRUE(c.run());
    const auto journal = Journal();
    std::vector<std::string> expected = {"OpenSCManagerW", "OpenServiceW", "CloseServiceHandle", "CloseServiceHandle"};
    if (c.call) expected.insert(expected.begin() + 2, c.call);
    EXPECT_EQ(CallNames(), expected);
    EXPECT_EQ(journal[0]["desiredAccess"], c.managerAccess);
    EXPECT_EQ(journal[1]["desiredAccess"], c.serviceAccess);
    EXPECT_EQ(journal[journal.size() - 2]["handle"], journal[1]["result"]);
  }
  const Json image = Image();
  for (const auto& service : image["services"]) EXPECT_EQ(service["state"], 4) << "IISADMIN started";
}

TEST_F(ServiceControlTest, EveryRefusalAnswersFalse) {
  const Json stopped = WithService(Stock(), "IISADMIN", {{"state", 1}});
  Json notAdmin = stopped;
  notAdmin["caller"]["administrator"] = false;
  const struct {
    Json image;
    const char16_t* name;
    bool installed, started;
  } cases[] = {
      {Stock(), u"IISADMIN", true, false},
      {WithService(stopped, "IISADMIN", {{"startType", 4}}), u"IISADMIN", true, false},
      {WithService(stopped, "IISADMIN", {{"startResult", 1053}}), u"IISADMIN", true, false},
      {stopped, u"NOSUCH", false, false},
      {stopped, u"", false, false},
      {notAdmin, u"IISADMIN", false, false},
      {WithService(stopped, "IISADMIN", {{"deniedAccess", 0x2}}), u"IISADMIN", false, true},
      {WithService(stopped, "IISADMIN", {{"deniedAccess", 0x10}}), u"IISADMIN", false, false},
  };
  for (const auto& c : cases) {
    Reset(c.image);
    EXPECT_EQ(IsServiceInstalled(c.name), c.installed) << c.image["services"];
    EXPECT_EQ(StartNamedService(c.name), c.started) << c.image["services"];
  }
}

}  // namespace
