#include "system/machine_environment.h"

#include <gtest/gtest.h>

#include "support/host_fixture.h"

namespace {

// The machine Path before and after adding and removing the directory "X";
// null is a missing value.
const struct {
  const char *stored, *added, *removed;
} kPathCases[] = {
    {"A;B", "X;A;B", "A;B"},
    {"A;X;B", "A;X;B", "A;B"},
    {"X", "X", ""},
    {"A;;B;", "X;A;;B;", "A;B"},
    {"A;X\\ext;B", "A;X\\ext;B", "A;B"},
    {"", "X", ""},
    {nullptr, "X", nullptr},
    {"x;A", "X;x;A", "x;A"},
    {"A;X5; X ;B", "A;X5; X ;B", "A;B"},
    {";A; B ;", "X;;A; B ;", "A; B "},
};

class MachineEnvironmentTest : public HostTest {
 protected:
  static Json WithPath(const Json& path, int type = 2) {
    if (path.is_null()) return WithoutRegistryValue(Stock(), kEnvironmentKey, "Path");
    return WithRegistryValue(Stock(), kEnvironmentKey, {{"name", "Path"}, {"type", type}, {"data", path}});
  }
  static Json Path() {
    const Json value = RegistryValueAt(Image(), kEnvironmentKey, "Path");
    if (value.is_null()) return value;
    EXPECT_EQ(value["type"], REG_EXPAND_SZ);
    return value["data"];
  }
};

TEST_F(MachineEnvironmentTest, WorkedExamplesOfAddingAndRemoving) {
  const auto text = [](const char* value) { return value ? Json(value) : Json(); };
  const Json broadcast = {{"window", 65535},         {"message", 26}, {"wParam", 0},
                          {"lParam", "Environment"}, {"flags", 2},    {"timeout", 10}};
  for (const auto& c : kPathCases) {
    for (const int type : {REG_EXPAND_SZ, REG_SZ}) {
      Reset(WithPath(text(c.stored), type));
      AddPathToEnvironment(u"X");
      EXPECT_EQ(Path(), text(c.added)) << "add to " << text(c.stored);
      EXPECT_EQ(RegistryValueAt(Image(), kEnvironmentKey, "PHPRC"), Text("PHPRC", "X"));
      EXPECT_EQ(Image()["broadcasts"], Json::array({broadcast}));
      Reset(WithPath(text(c.stored), type));
      RemovePathFromEnvironment(u"X");
      EXPECT_EQ(Path(), text(c.removed)) << "remove from " << text(c.stored);
      EXPECT_TRUE(Image()["broadcasts"].empty());
      EXPECT_TRUE(RegistryValueAt(Image(), kEnvironmentKey, "PHPRC").is_null());
    }
  }
}

TEST_F(MachineEnvironmentTest, AnUnreadablePathIsReplacedByTheDirectoryAndAnEmptyDirectoryChangesNothing) {
  Reset(WithFault(WithPath("A;X"), {{"call", "RegQueryValueExW"}, {"occurrence", 2}, {"status", 1450}}));
  AddPathToEnvironment(u"Y");
  EXPECT_EQ(Path(), "Y");
  for (auto operation : {AddPathToEnvironment, RemovePathFromEnvironment}) {
    Reset(WithPath("A;B"));
    operation(u"");
    EXPECT_TRUE(Journal().empty());
  }
}

}  // namespace
