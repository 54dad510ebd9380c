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

TEST_F(RegistryHostTest, NamesMatchWithoutCaseKeepTheirStoredFormAndCreateMakesThePath) {
  Reset(Php(Json::array(
      {{{"name", "IniFilePath"}, {"type", 1}, {"data", "C:\\PHP"}}, {{"name", "Other"}, {"type", 1}, {"data", "x"}}})));
  HKEY key = Open(u"software\\php", KEY_SET_VALUE);
  const char16_t text[] = u"D:";
  EXPECT_EQ(RegSetValueExW(key, u"INIFILEPATH", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text), 0);
  HKEY created = nullptr;
  EXPECT_EQ(RegCreateKeyExW(key, u"sub\\A\\B", 0, nullptr, 0, KEY_READ, nullptr, &created, nullptr), 0);
  EXPECT_EQ(RegCloseKey(created), 0);
  EXPECT_EQ(RegCloseKey(key), 0);
  const Json php = RegistryKeyAt(Image(), "SOFTWARE\\PHP");
  EXPECT_EQ(php["values"], Json::parse(R"([{"name": "IniFilePath", "type": 1, "data": "D:"},
                                           {"name": "Other", "type": 1, "data": "x"}])"))
      << "the replaced value keeps its name and place";
  EXPECT_EQ(RegistryKeyAt(Image(), "SOFTWARE\\PHP\\sub\\A\\B"),
            Json::parse(R"({"name": "B", "values": [], "children": []})"));
}

TEST_F(RegistryHostTest, AKeyWithSubkeysIsNotDeleted) {
  Reset(Php(Json::array({{{"name", "v"}, {"type", 1}, {"data", ""}}}),
            Json::array({{{"name", "Leaf"}, {"values", Json::array()}, {"children", Json::array()}}})));
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Missing", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(key, nullptr);
  EXPECT_EQ(RegDeleteKeyW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\PHP"), ERROR_ACCESS_DENIED) << "PHP has a subkey";
  EXPECT_EQ(RegDeleteKeyW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\php\\leaf"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\PHP"), ERROR_SUCCESS) << "values go with the key";
  EXPECT_TRUE(RegistryKeyAt(Image(), "SOFTWARE\\PHP").is_null());
}

TEST_F(RegistryHostTest, EachHandleHasTheRightsItWasOpenedWith) {
  const char16_t text[] = u"x";
  const struct {
    REGSAM access;
    LONG set;
    LONG query;
  } cases[] = {
      {KEY_QUERY_VALUE, ERROR_ACCESS_DENIED, ERROR_SUCCESS},
      {KEY_SET_VALUE, ERROR_SUCCESS, ERROR_ACCESS_DENIED},
      {KEY_QUERY_VALUE | KEY_SET_VALUE, ERROR_SUCCESS, ERROR_SUCCESS},
  };
  Reset(WithRegistryValue(Stock(), "SOFTWARE", {{"name", "v"}, {"type", 1}, {"data", ""}}));
  for (const auto& c : cases) {
    HKEY key = Open(u"SOFTWARE", c.access);
    EXPECT_EQ(RegSetValueExW(key, u"v", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text), c.set)
        << c.access;
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExW(key, u"v", nullptr, nullptr, nullptr, &size), c.query) << c.access;
    RegCloseKey(key);
  }
}

TEST_F(RegistryHostTest, ACallerWithoutAdministrativeRightsOnlyReads) {
  Json image = Php(Json::array());
  image["caller"]["administrator"] = false;
  Reset(image);
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE", 0, KEY_SET_VALUE, &key), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\New", 0, nullptr, 0, KEY_READ, nullptr, &key, nullptr),
            ERROR_ACCESS_DENIED)
      << "no new keys";
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
    // And the form reads back as the same bytes.
    Reset(Image());
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
