#include "website/virtual_directory.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>

#include "support/host_fixture.h"
#include "support/metabase_image.h"
#include "support/virtual_directory_records.h"

namespace {

constexpr int32_t kPathBusy = static_cast<int32_t>(0x80070094);
constexpr int32_t kAccessDenied = static_cast<int32_t>(0x80070005);

using Operation = std::function<ResultCode(const WideString&, const WideString&)>;

struct Kind {
  const char* name;
  Operation operation;
  bool jakarta;
};
const Kind kKinds[] = {{"ordinary", CreateVirtualDirectory, false}, {"jakarta", CreateJakartaVirtualDirectory, true}};

class VirtualDirectoryTest : public HostTest {};

TEST_F(VirtualDirectoryTest, CreatesTheKeyUnderRootWritesEachRecordAndSaves) {
  for (const auto& kind : kKinds) {
    SCOPED_TRACE(kind.name);
    Reset(Stock());
    EXPECT_EQ(kind.operation(kDirectoryName, kDirectoryPath), kSuccess);
    const auto opens = Calls("OpenKey");
    ASSERT_EQ(opens.size(), 4u + 3u);  // the site candidates, then the open-or-create sequence
    for (const auto& open : opens) {
      EXPECT_EQ(open["handle"], 0);
      EXPECT_EQ(open["access"], 3);
      EXPECT_EQ(open["timeout"], 1000);
    }
    // Missing at first: parent opened, child added, parent closed, child opened.
    std::vector<Json> sequence;
    bool started = false;
    for (const auto& line : Journal()) {
      if (line["call"] == "OpenKey" && line["path"] == "/LM/W3SVC/1/ROOT/jk") started = true;
      if (started && line["call"] != "SetData") sequence.push_back(line);
    }
    ASSERT_EQ(sequence.size(), 9u);
    EXPECT_EQ(sequence[0]["result"], static_cast<int32_t>(0x80070003));
    EXPECT_EQ(sequence[1]["path"], "/LM/W3SVC/1/ROOT");
    EXPECT_EQ(sequence[2]["call"], "AddKey");
    EXPECT_EQ(sequence[2]["handle"], sequence[1]["outHandle"]);
    EXPECT_EQ(sequence[2]["path"], "/jk");
    EXPECT_EQ(sequence[3]["call"], "CloseKey");
    EXPECT_EQ(sequence[3]["handle"], sequence[1]["outHandle"]);
    EXPECT_EQ(sequence[4]["call"], "OpenKey");
    EXPECT_EQ(sequence[4]["path"], "/LM/W3SVC/1/ROOT/jk");
    EXPECT_EQ(sequence[5]["call"], "CloseKey");
    EXPECT_EQ(sequence[5]["handle"], sequence[4]["outHandle"]);
    EXPECT_EQ(sequence[6]["call"], "SaveData");
    EXPECT_EQ(sequence[7]["object"], "adminBase");
    EXPECT_EQ(sequence[8]["object"], "classFactory");

    // Each write's fields and byte length (a string of n characters takes 2n + 2).
    const Json records = DirectoryRecords(kind.jakarta);
    Json written = Json::array(), expected = Json::array();
    for (const auto& write : Calls("SetData")) {
      EXPECT_EQ(write["handle"], sequence[4]["outHandle"]);
      EXPECT_EQ(write["path"], "/");
      written.push_back({write["id"], write["attributes"], write["userType"], write["dataType"], write["length"]});
    }
    for (const auto& r : records) {
      expected.push_back({r["id"], r["attributes"], r["userType"], r["dataType"], DirectoryRecordLength(r)});
    }
    EXPECT_EQ(written, expected);
    EXPECT_EQ((*ImageKey(Image(), "/LM/W3SVC/1/ROOT/jk"))["records"], records);
  }
}

TEST_F(VirtualDirectoryTest, AnExistingDirectoryIsOpenedAtOnceAndRewritten) {
  ASSERT_EQ(CreateVirtualDirectory(TEXT("app"), TEXT("D:\\one")), kSuccess);
  Reset(Image());
  EXPECT_EQ(CreateJakartaVirtualDirectory(TEXT("APP"), TEXT("D:\\two")), kSuccess);
  EXPECT_TRUE(Calls("AddKey").empty());
  const Json image = Image();
  EXPECT_EQ((*ImageRecord(image, "/LM/W3SVC/1/ROOT/app", 3001))["value"], "D:\\two");
  EXPECT_EQ((*ImageRecord(image, "/LM/W3SVC/1/ROOT/app", 6016))["value"], 0x205);
  EXPECT_EQ((*ImageRecord(image, "/LM/W3SVC/1/ROOT/app", 2102))["value"], "app") << "other records stay";
}

TEST_F(VirtualDirectoryTest, EmptyValuesAreSkippedNotWritten) {
  EXPECT_EQ(CreateVirtualDirectory(TEXT("empty"), TEXT("")), kSuccess);
  EXPECT_EQ(Calls("SetData").size(), 7u);
  EXPECT_EQ(ImageRecord(Image(), "/LM/W3SVC/1/ROOT/empty", 3001), nullptr);
  // An empty name is the root key followed by "/": the ROOT key itself.
  EXPECT_EQ(CreateVirtualDirectory(TEXT(""), TEXT("E:\\root")), kSuccess);
  const Json image = Image();
  EXPECT_EQ((*ImageRecord(image, "/LM/W3SVC/1/ROOT", 2103))["value"], "/LM/W3SVC/1/ROOT/");
  EXPECT_EQ((*ImageRecord(image, "/LM/W3SVC/1/ROOT", 3001))["value"], "E:\\root");
  EXPECT_EQ((*ImageRecord(image, "/LM/W3SVC/1/ROOT", 2102))["value"], "Default Application");
}

TEST_F(VirtualDirectoryTest, EveryFailureBeforeTheWritesGivesOneAndTouchesNothing) {
  Json sta = Stock();
  sta["caller"]["comApartment"] = "STA";
  Json noIis = Stock();
  noIis["iis"] = nullptr;
  Json noSite = WithRecord(Stock(), "/LM/W3SVC/1", StringRecord(1002, 0, 1, "IIsFtpServer"));
  const struct {
    const char* what;
    Json image;
  } cases[] = {
      {"thread in a single-threaded apartment", sta},
      {"IIS not installed", noIis},
      {"no web site", noSite},
      {"no ROOT key", WithoutKey(Stock(), "/LM/W3SVC/1/ROOT")},
      {"ROOT held for writing", WithTimeoutScale(WithHeldKey(Stock(), "/LM/W3SVC/1/ROOT", 3), 0.01)},
      {"parent refused",
       WithFault(Stock(), {{"call", "OpenKey"}, {"path", "/LM/W3SVC/1/ROOT"}, {"status", kAccessDenied}})},
      {"AddKey refused", WithFault(Stock(), {{"call", "AddKey"}, {"occurrence", 1}, {"status", kAccessDenied}})},
  };
  for (const auto& kind : kKinds) {
    for (const auto& c : cases) {
      Reset(c.image);
      EXPECT_EQ(kind.operation(TEXT("jk"), TEXT("C:\\jk")), kFailure) << kind.name << ": " << c.what;
      EXPECT_TRUE(Calls("SetData").empty()) << c.what;
      EXPECT_TRUE(Calls("SaveData").empty()) << c.what;
      EXPECT_EQ(Image()["iis"], c.image["iis"]) << c.what;
      EXPECT_EQ(winsim::CountOpenResources().Total(), 0) << kind.name << ": " << c.what;
    }
  }
}

// A key held below the site also locks the site key itself, so the lookup
// is what waits and gives up.
TEST_F(VirtualDirectoryTest, AHeldKeyFailsOnlyAfterTheTimeOut) {
  Reset(WithTimeoutScale(WithHeldKey(Stock(), "/LM/W3SVC/1/ROOT", 1), 0.2));
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(CreateVirtualDirectory(TEXT("jk"), TEXT("C:\\jk")), kFailure);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200));
  std::vector<Json> busy;
  for (const auto& open : Calls("OpenKey")) {
    if (open["result"] == kPathBusy) busy.push_back(open);
  }
  ASSERT_EQ(busy.size(), 1u);
  EXPECT_EQ(busy[0]["path"], "/LM/W3SVC/1");
  EXPECT_EQ(busy[0]["timeout"], 1000) << "the journal shows the time-out passed, not the scaled wait";
}

TEST_F(VirtualDirectoryTest, AFailingWriteStopsTheChainAtEachPosition) {
  for (const auto& kind : kKinds) {
    for (size_t failing = 1; failing <= DirectoryRecords(kind.jakarta).size(); ++failing) {
      const std::string where = std::string(kind.name) + " write " + std::to_string(failing);
      Reset(WithFault(Stock(), {{"call", "SetData"}, {"occurrence", failing}, {"status", kAccessDenied}}));
      EXPECT_EQ(kind.operation(TEXT("jk"), TEXT("C:\\jk")), kAccessDenied) << where;
      EXPECT_EQ(Calls("SetData").size(), failing) << where << ": later writes are not made";
      EXPECT_TRUE(Calls("SaveData").empty()) << where;
      EXPECT_EQ(Image()["iis"]["metabase"], Stock()["iis"]["metabase"]) << where;
      EXPECT_EQ(winsim::CountOpenResources().Total(), 0) << where;
    }
  }
}

TEST_F(VirtualDirectoryTest, TheSaveStatusIsTheResult) {
  for (const auto& kind : kKinds) {
    for (const int32_t status : {1, kPathBusy}) {
      Reset(WithFault(Stock(), {{"call", "SaveData"}, {"status", status}}));
      EXPECT_EQ(kind.operation(TEXT("jk"), TEXT("C:\\jk")), status) << kind.name;
      EXPECT_EQ(Image()["iis"]["metabase"], Stock()["iis"]["metabase"]);
    }
  }
}

}  // namespace
