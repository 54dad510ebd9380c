#include "system/machine_environment.h"

#include <gtest/gtest.h>

#include "support/host_fixture.h"
#include "support/path_cases.h"
#include "support/registry_image.h"

namespace {

const Json kNoValue;  // "Path" missing

class MachineEnvironmentTest : public HostTest {
 protected:
  static Json WithPath(const Json& path, int type = 2) {
    if (path.is_null()) return WithoutRegistryValue(Stock(), kEnvironmentKey, "Path");
    return WithRegistryValue(Stock(), kEnvironmentKey, {{"name", "Path"}, {"type", type}, {"data", path}});
  }
  static Json Value(const std::string& name) { return RegistryValueAt(Image(), kEnvironmentKey, name); }
  static Json Path() {
    const Json value = Value("Path");
    return value.is_null() ? value : value["data"];
  }
  static Json Broadcasts() { return Image()["broadcasts"]; }
};

TEST_F(MachineEnvironmentTest, WorkedExamplesOfAddingAndRemoving) {
  const auto text = [](const char* value) { return value ? Json(value) : Json(); };
  for (const auto& path : kPathCases) {
    const struct { Json stored, added, removed; } c{text(path.stored), text(path.added), text(path.removed)};
    Reset(WithPath(c.stored));
    AddPathToEnvironment(u"X");
    EXPECT_EQ(Path(), c.added) << "add to " << c.stored;
    EXPECT_EQ(Value("PHPRC"), Json::parse(R"({"name": "PHPRC", "type": 1, "data": "X"})"));
    EXPECT_EQ(Broadcasts().size(), 1u) << "add to " << c.stored;
    Reset(WithPath(c.stored));
    RemovePathFromEnvironment(u"X");
    EXPECT_EQ(Path(), c.removed) << "remove from " << c.stored;
    EXPECT_EQ(Calls("RegSetValueExW").size(), c.stored.is_null() ? 0u : 1u) << "remove from " << c.stored;
    EXPECT_EQ(Broadcasts().size(), 0u) << "remove from " << c.stored;
  }
}

TEST_F(MachineEnvironmentTest, PathStoredAsPlainTextIsWrittenBackExpandable) {
  for (auto operation : {AddPathToEnvironment, RemovePathFromEnvironment}) {
    Reset(WithPath("A;X", REG_SZ));
    operation(u"X");
    EXPECT_EQ(Value("Path")["type"], REG_EXPAND_SZ);
  }
}

TEST_F(MachineEnvironmentTest, AddMakesExactlyTheseCalls) {
  Reset(WithPath("A"));
  AddPathToEnvironment(u"C:\\PHP");
  auto journal = Journal();
  for (auto& line : journal) line.erase("thread");
  Json expected = Json::parse(R"([
    {"call": "RegOpenKeyExW", "key": 2147483650, "subKey": "", "options": 0, "access": 3, "outKey": 0, "result": 0},
    {"call": "RegSetValueExW", "key": 0, "valueName": "PHPRC", "type": 1, "length": 14,
     "hex": "43003a005c005000480050000000", "result": 0},
    {"call": "RegQueryValueExW", "key": 0, "valueName": "Path", "size": 0, "outType": 2, "outSize": 4, "result": 0},
    {"call": "RegQueryValueExW", "key": 0, "valueName": "Path", "size": 4, "outType": 2, "outSize": 4, "result": 0},
    {"call": "RegSetValueExW", "key": 0, "valueName": "Path", "type": 2, "length": 18,
     "hex": "43003a005c005000480050003b0041000000", "result": 0},
    {"call": "SendMessageTimeoutW", "window": 65535, "message": 26, "wParam": 0, "lParam": "Environment",
     "flags": 2, "timeout": 10, "result": 1},
    {"call": "RegCloseKey", "key": 0, "result": 0}])");
  const Json key = journal.at(0)["outKey"];
  expected[0]["subKey"] = std::string(kEnvironmentKey);
  expected[0]["outKey"] = key;
  for (auto& line : expected) {
    if (line.contains("key") && line["key"] == 0) line["key"] = key;
  }
  EXPECT_EQ(Json(journal), expected);
  EXPECT_EQ(Broadcasts(), Json::parse(R"([{"window": 65535, "message": 26, "wParam": 0, "lParam": "Environment",
                                           "flags": 2, "timeout": 10}])"));
}

TEST_F(MachineEnvironmentTest, RemoveReadsAndWritesOnlyPath) {
  Reset(WithRegistryValue(WithPath("A;X"), kEnvironmentKey, {{"name", "PHPRC"}, {"type", 1}, {"data", "X"}}));
  RemovePathFromEnvironment(u"X");
  EXPECT_EQ(CallNames(), (std::vector<std::string>{"RegOpenKeyExW", "RegQueryValueExW", "RegQueryValueExW",
                                                   "RegSetValueExW", "RegCloseKey"}));
  EXPECT_EQ(Calls("RegSetValueExW")[0]["length"], 4);
  EXPECT_EQ(Value("PHPRC")["data"], "X");
}

TEST_F(MachineEnvironmentTest, AFailedPathWriteSendsNothingAndAFailedPhprcWriteStopsNothing) {
  Json image = WithPath("A");
  image["faults"] = Json::parse(R"([{"call": "RegSetValueExW", "name": "path", "status": 5}])");
  Reset(image);
  AddPathToEnvironment(u"X");
  EXPECT_EQ(Path(), "A");
  EXPECT_EQ(Value("PHPRC")["data"], "X");
  EXPECT_TRUE(Calls("SendMessageTimeoutW").empty());
  EXPECT_EQ(Broadcasts().size(), 0u);

  image["faults"] = Json::parse(R"([{"call": "RegSetValueExW", "name": "PHPRC", "status": 5}])");
  Reset(image);
  AddPathToEnvironment(u"X");
  EXPECT_EQ(Path(), "X;A");
  EXPECT_TRUE(Value("PHPRC").is_null());
  EXPECT_EQ(Broadcasts().size(), 1u);
}

TEST_F(MachineEnvironmentTest, AFailedReadAddsTheDirectoryAloneAndRemovesNothing) {
  Json image = WithPath("A;X");
  image["faults"] = Json::parse(R"([{"call": "RegQueryValueExW", "occurrence": 2, "status": 1450}])");
  Reset(image);
  RemovePathFromEnvironment(u"X");
  EXPECT_EQ(Path(), "A;X");
  EXPECT_TRUE(Calls("RegSetValueExW").empty());
  Reset(image);
  AddPathToEnvironment(u"Y");
  EXPECT_EQ(Path(), "Y");
}

// An empty directory is in every text: taken literally, the add would write
// an empty PHPRC and the removal would empty Path. Both leave the machine alone.
TEST_F(MachineEnvironmentTest, AnEmptyDirectoryWritesAndSendsNothing) {
  for (auto operation : {AddPathToEnvironment, RemovePathFromEnvironment}) {
    Reset(WithPath("A;B"));
    operation(u"");
    EXPECT_TRUE(Journal().empty());
    EXPECT_EQ(Image(), WithPath("A;B"));
  }
}

}  // namespace
