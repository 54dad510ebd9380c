#include <windows.h>

#include <string>
#include <utility>

#include "windows/library.h"

namespace {

const wchar_t kEnvironment[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
const wchar_t kVendor[] = L"SOFTWARE\\Apache Software Foundation";
const wchar_t kJakarta[] = L"SOFTWARE\\Apache Software Foundation\\Jakarta Isapi Redirector\\1.0";

using Value = std::pair<DWORD, std::wstring>;

// A value as Windows programs read it, unexpanded; REG_NONE when missing.
Value Read(const std::wstring& key, const wchar_t* name) {
  wchar_t data[4096] = {};
  DWORD type = REG_NONE;
  DWORD size = sizeof data - sizeof(wchar_t);
  if (RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, &type, data, &size) != 0) {
    return {REG_NONE, L""};
  }
  return {type, data};
}

bool KeyExists(const std::wstring& key) {
  HKEY handle = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
  RegCloseKey(handle);
  return true;
}

using RegistryTest = LibraryTest;

TEST_F(RegistryTest, PathStaysExpandableAndPhprcIsAString) {
  const Value path = Read(kEnvironment, L"Path");
  ASSERT_EQ(path.first, static_cast<DWORD>(REG_EXPAND_SZ));
  CALL(jniAddPHPPathToEnvironmentVariable, Text(u"C:\\PHP"));
  EXPECT_EQ(Read(kEnvironment, L"Path"), Value(REG_EXPAND_SZ, L"C:\\PHP;" + path.second));
  EXPECT_EQ(Read(kEnvironment, L"PHPRC"), Value(REG_SZ, L"C:\\PHP"));
  CALL(jniRemovePHPPathFromEnvironmentVariable, Text(u"C:\\PHP"));
  EXPECT_EQ(Read(kEnvironment, L"Path"), path);
}

// The keys go from the deepest up, as long as the real registry refuses to
// delete a key that holds others.
TEST_F(RegistryTest, EntriesAreStringsAndTheirKeysGoWhileEmpty) {
  CALL(jniCreatePHPINIRegistryEntries, Text(u"C:\\PHP"));
  CALL(jniCreateJakartaRegistryEntries, Text(u"log"), Text(u"workers"), Text(u"mount"), Text(u"r.dll"));
  EXPECT_EQ(Read(kJakarta, L"log_level"), Value(REG_SZ, L"error"));
  EXPECT_EQ(Read(kJakarta, L"extension_uri"), Value(REG_SZ, L"/jakarta/r.dll"));
  EXPECT_EQ(Read(L"SOFTWARE\\PHP", L"IniFilePath"), Value(REG_SZ, L"C:\\PHP"));
  CALL(jniRemovePHPINIRegistryEntries);
  EXPECT_FALSE(KeyExists(L"SOFTWARE\\PHP"));

  const std::wstring other = std::wstring(kVendor) + L"\\Other";
  ASSERT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, other.c_str(), nullptr, REG_SZ, L"", sizeof L""), ERROR_SUCCESS);
  CALL(jniRemoveJakartaRegistryEntries);
  EXPECT_FALSE(KeyExists(std::wstring(kVendor) + L"\\Jakarta Isapi Redirector"));
  EXPECT_TRUE(KeyExists(kVendor)) << "it holds another product";
  EXPECT_EQ(RegDeleteKeyW(HKEY_LOCAL_MACHINE, other.c_str()), ERROR_SUCCESS);
  CALL(jniRemoveJakartaRegistryEntries);
  EXPECT_FALSE(KeyExists(kVendor));
}

}  // namespace
