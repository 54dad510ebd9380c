#include <gtest/gtest.h>
#include <winsim/control.h>
#include <winsim/windows.h>

#include <vector>

#include "support/host_fixture.h"

namespace {

class RegistryHostTest : public HostTest {
 protected:
  static Json Php(const Json& values, const Json& children = Json::array()) {
    Json image = Stock();
    image["registry"]["HKEY_LOCAL_MACHINE"]["children"][0]["children"] =
        Json::array({{{"name", "PHP"}, {"values", values}, {"children", children}}});
    return image;
  }
  static HKEY Open(const char16_t* path, REGSAM access) {
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, access, &key), ERROR_SUCCESS);
    return key;
  }
};

TEST_F(RegistryHostTest, NamesMatchWithoutCaseCreateMakesThePathAndOnlyLeavesAreDeleted) {
  Reset(Php(Json::array(
      {{{"name", "IniFilePath"}, {"type", 1}, {"data", "C:\\PHP"}}, {{"name", "Other"}, {"type", 1}, {"data", "x"}}})));
  HKEY key = Open(u"software\\php", KEY_SET_VALUE);
  const char16_t text[] = u"D:";
  EXPECT_EQ(RegSetValueExW(key, u"INIFILEPATH", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text), 0);
  HKEY created = nullptr;
  EXPECT_EQ(RegCreateKeyExW(key, u"sub\\A\\B", 0, nullptr, 0, KEY_READ, nullptr, &created, nullptr), 0);
  EXPECT_EQ(RegCloseKey(created), 0);
  const Json php = RegistryKeyAt(Image(), "SOFTWARE\\PHP");
  EXPECT_EQ(php["values"], Json::parse(R"([{"name": "IniFilePath", "type": 1, "data": "D:"},
                                           {"name": "Other", "type": 1, "data": "x"}])"))
      << "the replaced value keeps its name and place";
  EXPECT_EQ(RegistryKeyAt(Image(), "SOFTWARE\\PHP\\sub\\A\\B"),
            Json::parse(R"({"name": "B", "values": [], "children": []})"));
  EXPECT_EQ(RegDeleteKeyW(key, u"sub\\A"), ERROR_ACCESS_DENIED) << "A has a subkey";
  EXPECT_EQ(RegDeleteKeyW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\php\\SUB\\a\\b"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\PHP\\sub\\A\\B"), ERROR_FILE_NOT_FOUND);
  EXPECT_TRUE(RegistryKeyAt(Image(), "SOFTWARE\\PHP\\sub\\A\\B").is_null());
  const std::string phpKey = std::to_string(reinterpret_cast<uintptr_t>(key));
  EXPECT_EQ(RegCloseKey(key), 0);
  auto line = [&](const char* call, size_t index) {
    Json found = Calls(call)[index];
    found.erase("thread");
    return found.dump();
  };
  EXPECT_EQ(line("RegCreateKeyExW", 0), R"({"call":"RegCreateKeyExW","key":)" + phpKey +
                                            R"(,"subKey":"sub\\A\\B","options":0,"access":131097,"outKey":)" +
                                            std::to_string(reinterpret_cast<uintptr_t>(created)) + R"(,"result":0})");
  EXPECT_EQ(line("RegDeleteKeyW", 0),
            R"({"call":"RegDeleteKeyW","key":)" + phpKey + R"(,"subKey":"sub\\A","result":5})");
  EXPECT_EQ(line("RegDeleteKeyW", 1),
            R"({"call":"RegDeleteKeyW","key":2147483650,"subKey":"SOFTWARE\\php\\SUB\\a\\b","result":0})");
}

TEST_F(RegistryHostTest, HandlesHaveTheRightsTheyWereOpenedWithWithinTheCallers) {
  const char16_t text[] = u"x";
  const struct {
    bool administrator;
    REGSAM access;
    LONG open, set, query;
  } cases[] = {
      {true, KEY_QUERY_VALUE, ERROR_SUCCESS, ERROR_ACCESS_DENIED, ERROR_SUCCESS},
      {true, KEY_SET_VALUE, ERROR_SUCCESS, ERROR_SUCCESS, ERROR_ACCESS_DENIED},
      {false, KEY_SET_VALUE, ERROR_ACCESS_DENIED, 0, 0},
      {false, KEY_READ, ERROR_SUCCESS, ERROR_ACCESS_DENIED, ERROR_SUCCESS},
  };
  Json image = Php(Json::array({{{"name", "v"}, {"type", 1}, {"data", ""}}}));
  for (const auto& c : cases) {
    image["caller"]["administrator"] = c.administrator;
    Reset(image);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\PHP", 0, c.access, &key), c.open);
    if (!key) continue;
    EXPECT_EQ(RegSetValueExW(key, u"v", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text), c.set);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExW(key, u"v", nullptr, nullptr, nullptr, &size), c.query);
    RegCloseKey(key);
  }
  HKEY key = nullptr;
  EXPECT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\New", 0, nullptr, 0, KEY_READ, nullptr, &key, nullptr),
            ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\New", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\PHP", 0, nullptr, 0, KEY_READ, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(RegDeleteKeyW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\PHP"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(Image(), image);
}

TEST_F(RegistryHostTest, WrittenValuesAreDataWhenWellFormedForTheirTypeElseHex) {
  const struct {
    DWORD type;
    std::vector<uint8_t> bytes;
    Json form;
  } cases[] = {
      {REG_SZ, {'a', 0, 0, 0}, {{"data", "a"}}},
      {REG_SZ, {'a', 0}, {{"hex", "6100"}}},                // no closing NUL
      {REG_SZ, {0x00, 0xD8, 0, 0}, {{"hex", "00d80000"}}},  // a lone surrogate
      {REG_DWORD, {1, 2, 0, 0x80}, {{"data", 2147484161u}}},
      {REG_DWORD, {1, 2, 3}, {{"hex", "010203"}}},
      {REG_MULTI_SZ, {'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0}, {{"data", {"a", "b"}}}},
      {REG_BINARY, {0xAB}, {{"hex", "ab"}}},
  };
  for (const auto& c : cases) {
    Reset(Stock());
    HKEY key = Open(u"SOFTWARE", KEY_SET_VALUE);
    EXPECT_EQ(RegSetValueExW(key, u"v", 0, c.type, c.bytes.data(), static_cast<DWORD>(c.bytes.size())), 0);
    RegCloseKey(key);
    Json expected = {{"name", "v"}, {"type", c.type}};
    expected.update(c.form);
    EXPECT_EQ(RegistryValueAt(Image(), "SOFTWARE", "v"), expected) << c.form.dump();
    Reset(Image());  // and the form reads back as the same bytes
    key = Open(u"SOFTWARE", KEY_QUERY_VALUE);
    std::vector<uint8_t> read(16);
    DWORD size = 16, type = 0;
    EXPECT_EQ(RegQueryValueExW(key, u"v", nullptr, &type, read.data(), &size), 0);
    read.resize(size);
    EXPECT_EQ(read, c.bytes) << c.form.dump();
    RegCloseKey(key);
  }
}

}  // namespace
