#pragma once

#include <gtest/gtest.h>
#include <winsim/control.h>

#include <string>
#include <vector>

#include "support/host_image.h"

// Each test starts from the stock image (or its own) with an empty journal,
// and ends with nothing left open in the host.
class HostTest : public ::testing::Test {
 protected:
  void SetUp() override { winsim::ResetHostToStock(); }
  void TearDown() override { EXPECT_EQ(winsim::CountOpenResources().Total(), 0) << "resources left open"; }

  static Json Stock() { return Json::parse(winsim::StockImage()); }
  static void Reset(const Json& image) { winsim::ResetHost(image.dump()); }
  static Json Image() { return Json::parse(winsim::HostImage()); }
  static std::vector<Json> Journal();
  static std::vector<Json> Calls(const std::string& call);
  static std::vector<std::string> CallNames();
};
