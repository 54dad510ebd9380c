#include "support/fault_sweep.h"

#include "support/metabase_image.h"

int FaultSweepTest::SweepFaults(const Json& image, const std::string& call, int32_t status,
                                const std::function<ResultCode()>& operation) {
  Reset(image);
  EXPECT_EQ(operation(), kSuccess) << "the operation must succeed without faults";
  const int count = static_cast<int>(Calls(call).size());
  for (int occurrence = 1; occurrence <= count; ++occurrence) {
    const std::string where = call + " #" + std::to_string(occurrence);
    Reset(WithFault(image, {{"call", call}, {"occurrence", occurrence}, {"status", status}}));
    const ResultCode result = operation();
    EXPECT_EQ(winsim::CountOpenResources().Total(), 0) << where;
    const auto journal = Journal();
    size_t faulted = journal.size();
    for (size_t i = 0; i < journal.size(); ++i) {
      if (journal[i].value("fault", false)) faulted = i;
    }
    EXPECT_LT(faulted, journal.size()) << where << ": the planned fault did not happen";
    if (result == kSuccess) {
      EXPECT_FALSE(Calls("SaveData").empty()) << where << ": succeeded past the fault without saving";
      continue;
    }
    if (call == "SetData") {
      EXPECT_EQ(result, status) << where;
    }
    // An open-or-create whose first open failed goes on to the parent and AddKey.
    const std::string faultedPath = journal[faulted].value("path", "");
    for (size_t i = faulted + 1; i < journal.size(); ++i) {
      const std::string name = journal[i]["call"];
      const bool creating =
          call == "OpenKey" &&
          (name == "AddKey" || (name == "OpenKey" && faultedPath.rfind(journal[i]["path"].get<std::string>(), 0) == 0));
      EXPECT_TRUE(name == "CloseKey" || name == "Release" || creating) << where << ": " << name << " after the failure";
    }
    EXPECT_EQ(Image()["iis"]["metabase"], image["iis"]["metabase"]) << where << ": unsaved changes reached the image";
  }
  return count;
}
