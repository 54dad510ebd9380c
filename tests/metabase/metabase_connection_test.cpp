#include "metabase/metabase_connection.h"

#include <gtest/gtest.h>

#include "metabase/metabase_key_holder.h"
#include "support/host_fixture.h"
#include "support/metabase_image.h"

namespace {

constexpr int32_t kChangedMode = static_cast<int32_t>(0x80010106);
constexpr int32_t kClassNotRegistered = static_cast<int32_t>(0x80040154);
constexpr int32_t kNoInterface = static_cast<int32_t>(0x80004002);

class MetabaseConnectionTest : public HostTest {};

TEST_F(MetabaseConnectionTest, ActivatesTheAdminBaseAndReleasesItBeforeTheFactory) {
  {
    MetabaseConnection connection;
    EXPECT_TRUE(connection.IsValid());
    EXPECT_EQ(winsim::CountOpenResources().comReferences, 2);
  }
  EXPECT_EQ(CallNames(),
            (std::vector<std::string>{"CoInitializeEx", "CoGetClassObject", "CreateInstance", "Release", "Release"}));
  const auto journal = Journal();
  EXPECT_EQ(journal[0]["coInit"], 0);
  EXPECT_EQ(journal[1]["clsid"], "{A9E69610-B80D-11D0-B9B9-00A0C922E750}");
  EXPECT_EQ(journal[1]["context"], 21);
  EXPECT_EQ(journal[1]["iid"], "{00000001-0000-0000-C000-000000000046}");
  EXPECT_EQ(journal[2]["iid"], "{70B51430-B6CA-11D0-B9B9-00A0C922E750}");
  EXPECT_EQ(journal[3]["object"], "adminBase");
  EXPECT_EQ(journal[4]["object"], "classFactory");
}

TEST_F(MetabaseConnectionTest, AThreadAlreadyInTheMultithreadedApartmentIsUsable) {
  Json image = Stock();
  image["caller"]["comApartment"] = "MTA";
  Reset(image);
  MetabaseConnection first;
  MetabaseConnection second;
  EXPECT_TRUE(first.IsValid());
  EXPECT_TRUE(second.IsValid());
  for (const auto& line : Calls("CoInitializeEx")) EXPECT_EQ(line["result"], 1);
}

TEST_F(MetabaseConnectionTest, EachFailedActivationStepReleasesOnlyWhatWasObtained) {
  Json sta = Stock();
  sta["caller"]["comApartment"] = "STA";
  Json noIis = Stock();
  noIis["iis"] = nullptr;
  const struct {
    const char* what;
    Json image;
    std::vector<std::string> calls;
    int32_t failure;
  } cases[] = {
      {"single-threaded apartment", sta, {"CoInitializeEx"}, kChangedMode},
      {"IIS not installed", noIis, {"CoInitializeEx", "CoGetClassObject"}, kClassNotRegistered},
      {"instance refused",
       WithFault(Stock(), {{"call", "CreateInstance"}, {"status", kNoInterface}}),
       {"CoInitializeEx", "CoGetClassObject", "CreateInstance", "Release"},
       kNoInterface},
  };
  for (const auto& c : cases) {
    Reset(c.image);
    {
      MetabaseConnection connection;
      EXPECT_FALSE(connection.IsValid()) << c.what;
      EXPECT_EQ(connection.OpenKey(TEXT("/LM")), nullptr) << c.what;
      EXPECT_EQ(connection.OpenOrCreateKey(TEXT("/LM"), TEXT("/X")), nullptr) << c.what;
    }
    EXPECT_EQ(CallNames(), c.calls) << c.what;
    EXPECT_EQ(Journal()[c.calls.size() > 2 ? 2 : c.calls.size() - 1]["result"], c.failure) << c.what;
    EXPECT_EQ(winsim::CountOpenResources().Total(), 0) << c.what;
  }
}

TEST_F(MetabaseConnectionTest, OpensEveryKeyFromTheRootForReadingAndWritingWithOneSecond) {
  MetabaseConnection connection;
  MetabaseKeyHolder key(connection.OpenKey(TEXT("/LM/W3SVC")));
  EXPECT_TRUE(key.IsValid());
  EXPECT_EQ(MetabaseKeyHolder(connection.OpenKey(TEXT("/LM/Nothing"))).Get(), nullptr);
  key.Reset();
  const auto opens = Calls("OpenKey");
  ASSERT_EQ(opens.size(), 2u);
  for (const auto& open : opens) {
    EXPECT_EQ(open["handle"], 0);
    EXPECT_EQ(open["access"], 3);
    EXPECT_EQ(open["timeout"], 1000);
  }
  EXPECT_EQ(Calls("CloseKey")[0]["handle"], opens[0]["outHandle"]);
}

TEST_F(MetabaseConnectionTest, OpenOrCreateNeedsTheParentAndCreatesNothingWithoutIt) {
  MetabaseConnection connection;
  EXPECT_EQ(MetabaseKeyHolder(connection.OpenOrCreateKey(TEXT("/LM/None"), TEXT("/PHP"))).Get(), nullptr);
  EXPECT_TRUE(Calls("AddKey").empty());
  MetabaseKeyHolder created(connection.OpenOrCreateKey(TEXT("/LM/W3SVC/Filters"), TEXT("/PHP")));
  EXPECT_TRUE(created.IsValid());
  EXPECT_EQ(Calls("AddKey")[0]["path"], "/PHP");
  MetabaseKeyHolder moved;
  moved = std::move(created);
  EXPECT_EQ(created.Get(), nullptr);
  EXPECT_TRUE(moved.IsValid());
  EXPECT_EQ(winsim::CountOpenResources().metabaseHandles, 1);
}

}  // namespace
