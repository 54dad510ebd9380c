#pragma once

#include <gtest/gtest.h>
#include <winsim/control.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "support/metabase_image.h"

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

// The value of a metabase record in the image, or null.
Json Value(const Json& image, const std::string& path, int id);
// Record images: a script-map or other multi-string list, a DWORD, a registry text value.
Json ListRecord(int id, Json entries, int attributes = 1, int userType = 2);
Json ScriptMaps(Json entries, int attributes = 1);
Json Dword(int id, int value);
Json Text(const std::string& name, const std::string& data);
Json WithApartment(Json image, const char* apartment);
// The stock image with one service's fields replaced.
Json WithService(Json image, const std::string& name, const Json& fields);
