#include "system/service_control.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "support/host_fixture.h"

namespace {

constexpr uint32_t kGenericRead = 0x80000000u;
constexpr uint32_t kManagerAll = 0xF003F;
constexpr uint32_t kQueryStatus = 0x4;
constexpr uint32_t kStart = 0x10;
constexpr uint32_t kServiceAll = 0xF01FF;

class ServiceControlTest : public HostTest {
 protected:
  static Json ServiceState(const std::string& name) {
    const Json image = Image();
    for (const auto& service : image["services"]) {
      if (service["name"] == name) return service["state"];
    }
    return Json();
  }
};

TEST_F(ServiceControlTest, WebServerCountsAsRunningWhenTheRunningBitIsSet) {
  const struct {
    int state;
    bool running;
  } cases[] = {{1, false}, {2, false}, {3, false}, {4, true}, {5, true}, {6, true}, {7, true}};
  for (const auto& c : cases) {
    Reset(WithService(Stock(), "W3SVC", {{"state", c.state}}));
    EXPECT_EQ(IsWebServerRunning(), c.running) << "state " << c.state;
  }
}

// The journal: the access each operation asks for, and the service handle
// closed before the manager.
TEST_F(ServiceControlTest, EachOperationAsksForItsAccessAndClosesTheServiceFirst) {
  using Names = std::vector<std::string>;
  const struct {
    const char* what;
    std::function<bool()> run;
    uint32_t managerAccess, serviceAccess;
    Names calls;
  } cases[] = {
      {"running",
       [] { return IsWebServerRunning(); },
       kGenericRead,
       kQueryStatus,
       {"OpenSCManagerW", "OpenServiceW", "QueryServiceStatusEx", "CloseServiceHandle", "CloseServiceHandle"}},
      {"installed",
       [] { return IsServiceInstalled(TEXT("IISADMIN")); },
       kManagerAll,
       kServiceAll,
       {"OpenSCManagerW", "OpenServiceW", "CloseServiceHandle", "CloseServiceHandle"}},
      {"start",
       [] { return StartNamedService(TEXT("IISADMIN")); },
       kManagerAll,
       kStart,
       {"OpenSCManagerW", "OpenServiceW", "StartServiceW", "CloseServiceHandle", "CloseServiceHandle"}},
  };
  for (const auto& c : cases) {
    Reset(WithService(Stock(), "IISADMIN", {{"state", 1}}));
    EXPECT_TRUE(c.run()) << c.what;
    EXPECT_EQ(CallNames(), c.calls) << c.what;
    const auto journal = Journal();
    EXPECT_EQ(journal[0]["machineName"], nullptr);
    EXPECT_EQ(journal[0]["databaseName"], nullptr);
    EXPECT_EQ(journal[0]["desiredAccess"], c.managerAccess) << c.what;
    EXPECT_EQ(journal[1]["manager"], journal[0]["result"]);
    EXPECT_EQ(journal[1]["desiredAccess"], c.serviceAccess) << c.what;
    EXPECT_EQ(journal[journal.size() - 2]["handle"], journal[1]["result"]) << c.what;
    EXPECT_EQ(journal.back()["handle"], journal[0]["result"]) << c.what;
  }
  EXPECT_EQ(Calls("StartServiceW")[0]["argumentCount"], 0);
  EXPECT_EQ(ServiceState("IISADMIN"), 4) << "started in the image";
  Reset(Stock());
  IsWebServerRunning();
  EXPECT_EQ(Calls("OpenServiceW")[0]["serviceName"], "W3SVC");
  EXPECT_EQ(Calls("QueryServiceStatusEx")[0]["infoLevel"], 0);
  EXPECT_EQ(Calls("QueryServiceStatusEx")[0]["bufferSize"], 36);
}

TEST_F(ServiceControlTest, EveryRefusalAnswersFalse) {
  struct Case {
    const char* what;
    Json image;
    const char16_t* name;
    bool installed;
    bool started;
  };
  const Json stopped = WithService(Stock(), "IISADMIN", {{"state", 1}});
  Json notAdmin = stopped;
  notAdmin["caller"]["administrator"] = false;
  const Case cases[] = {
      {"already running", Stock(), u"IISADMIN", true, false},
      {"disabled", WithService(stopped, "IISADMIN", {{"startType", 4}}), u"IISADMIN", true, false},
      {"start fails at once", WithService(stopped, "IISADMIN", {{"startResult", 1053}}), u"IISADMIN", true, false},
      {"missing service", stopped, u"NOSUCH", false, false},
      {"empty name", stopped, u"", false, false},
      {"no administrative rights", notAdmin, u"IISADMIN", false, false},
      {"full access refused", WithService(stopped, "IISADMIN", {{"deniedAccess", 0x2}}), u"IISADMIN", false, true},
      {"start right refused", WithService(stopped, "IISADMIN", {{"deniedAccess", 0x10}}), u"IISADMIN", false, false},
  };
  for (const auto& c : cases) {
    Reset(c.image);
    const WideString name(c.name, c.name + std::char_traits<char16_t>::length(c.name));
    EXPECT_EQ(IsServiceInstalled(name), c.installed) << c.what;
    EXPECT_EQ(StartNamedService(name), c.started) << c.what;
    EXPECT_EQ(winsim::CountOpenResources().serviceHandles, 0) << c.what;
  }
}

TEST_F(ServiceControlTest, WebServerQueryNeedsNoAdministrativeRights) {
  Json image = Stock();
  image["caller"]["administrator"] = false;
  Reset(image);
  EXPECT_TRUE(IsWebServerRunning());
}

// Each call of each operation fails in turn: the answer is false (unless
// only a close failed) and no handle stays open, whichever call it was.
TEST_F(ServiceControlTest, APlannedFaultOnAnyCallGivesFalseAndLeavesNothingOpen) {
  const struct {
    const char* operation;
    std::function<bool()> run;
  } cases[] = {
      {"running", [] { return IsWebServerRunning(); }},
      {"installed", [] { return IsServiceInstalled(TEXT("IISADMIN")); }},
      {"start", [] { return StartNamedService(TEXT("IISADMIN")); }},
  };
  const Json stopped = WithService(Stock(), "IISADMIN", {{"state", 1}});
  for (const auto& c : cases) {
    Reset(stopped);
    ASSERT_TRUE(c.run());
    std::map<std::string, int> seen;
    for (const auto& call : CallNames()) {
      const int occurrence = ++seen[call];
      const std::string where = std::string(c.operation) + " / " + call + " #" + std::to_string(occurrence);
      Json image = stopped;
      image["faults"] = Json::array({{{"call", call}, {"occurrence", occurrence}, {"status", 1450}}});
      Reset(image);
      EXPECT_EQ(c.run(), call == "CloseServiceHandle") << where;
      EXPECT_EQ(winsim::CountOpenResources().serviceHandles, 0) << where;
      int faults = 0;
      for (const auto& line : Journal()) faults += line.value("fault", false) ? 1 : 0;
      EXPECT_EQ(faults, 1) << where;
    }
  }
}

}  // namespace
