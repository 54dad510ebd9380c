#include <windows.h>

#include <optional>
#include <string>

#include "support/path_cases.h"
#include "windows/library.h"

namespace {

const wchar_t kEnvironment[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
const wchar_t kJakarta[] = L"SOFTWARE\\Apache Software Foundation\\Jakarta Isapi Redirector\\1.0";

struct Value {
  DWORD type;
  std::wstring text;
};

std::wstring Wide(const char* text) { return std::wstring(text, text + strlen(text)); }
const char* Show(const char* path) { return path ? path : "(no value)"; }

// Read back with the real API, as Windows programs would see it.
std::optional<Value> Read(const wchar_t* key, const wchar_t* name) {
  HKEY handle = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key, 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS) return std::nullopt;
  DWORD type = 0;
  wchar_t data[4096] = {};
  DWORD size = sizeof data - sizeof(wchar_t);
  const LONG status = RegQueryValueExW(handle, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
  RegCloseKey(handle);
  if (status != ERROR_SUCCESS) return std::nullopt;
  return Value{type, data};
}

bool KeyExists(const wchar_t* key) {
  HKEY handle = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
  RegCloseKey(handle);
  return true;
}

void SetPath(const char* path) {
  HKEY handle = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kEnvironment, 0, KEY_SET_VALUE, &handle), ERROR_SUCCESS);
  if (path) {
    const std::wstring text = Wide(path);
    RegSetValueExW(handle, L"Path", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  } else {
    RegDeleteValueW(handle, L"Path");
  }
  RegCloseKey(handle);
}

class RegistryTest : public LibraryTest {
 protected:
  std::optional<Value> savedPath = Read(kEnvironment, L"Path");
  void TearDown() override {
    if (savedPath) SetPath(std::string(savedPath->text.begin(), savedPath->text.end()).c_str());
    LibraryTest::TearDown();
  }
};

TEST_F(RegistryTest, WorkedPathExamplesOnTheRealRegistry) {
  const auto add = NATIVE_METHOD(library, jniAddPHPPathToEnvironmentVariable);
  const auto remove = NATIVE_METHOD(library, jniRemovePHPPathFromEnvironmentVariable);
  ASSERT_TRUE(add && remove);
  for (const auto& c : kPathCases) {
    SetPath(c.stored);
    add(fake.Env(), nullptr, fake.String(u"X"));
    const auto added = Read(kEnvironment, L"Path");
    ASSERT_TRUE(added) << Show(c.stored);
    EXPECT_EQ(added->text, Wide(c.added)) << "add to " << Show(c.stored);
    EXPECT_EQ(added->type, static_cast<DWORD>(REG_EXPAND_SZ));
    const auto phprc = Read(kEnvironment, L"PHPRC");
    ASSERT_TRUE(phprc);
    EXPECT_EQ(phprc->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(phprc->text, L"X");

    SetPath(c.stored);
    remove(fake.Env(), nullptr, fake.String(u"X"));
    const auto removed = Read(kEnvironment, L"Path");
    EXPECT_EQ(removed.has_value(), c.removed != nullptr);
    if (removed && c.removed) {
      EXPECT_EQ(removed->text, Wide(c.removed)) << "remove from " << Show(c.stored);
    }
  }
}

TEST_F(RegistryTest, PhpAndJakartaEntriesAreWrittenAndTheirKeysRemovedFromTheDeepestUp) {
  const auto createPhp = NATIVE_METHOD(library, jniCreatePHPINIRegistryEntries);
  const auto removePhp = NATIVE_METHOD(library, jniRemovePHPINIRegistryEntries);
  const auto createJakarta = NATIVE_METHOD(library, jniCreateJakartaRegistryEntries);
  const auto removeJakarta = NATIVE_METHOD(library, jniRemoveJakartaRegistryEntries);
  ASSERT_TRUE(createPhp && removePhp && createJakarta && removeJakarta);
  createPhp(fake.Env(), nullptr, fake.String(u"C:\\PHP"));
  createJakarta(fake.Env(), nullptr, fake.String(u"C:\\logs\\isapi.log"), fake.String(u"C:\\conf\\workers.properties"),
                fake.String(u"C:\\conf\\uriworkermap.properties"), fake.String(u"isapi_redirect.dll"));
  const struct {
    const wchar_t* key;
    const wchar_t* name;
    const wchar_t* text;
  } expected[] = {{L"SOFTWARE\\PHP", L"IniFilePath", L"C:\\PHP"},
                  {kJakarta, L"log_file", L"C:\\logs\\isapi.log"},
                  {kJakarta, L"log_level", L"error"},
                  {kJakarta, L"worker_file", L"C:\\conf\\workers.properties"},
                  {kJakarta, L"worker_mount_file", L"C:\\conf\\uriworkermap.properties"},
                  {kJakarta, L"extension_uri", L"/jakarta/isapi_redirect.dll"}};
  for (const auto& value : expected) {
    const auto read = Read(value.key, value.name);
    ASSERT_TRUE(read) << value.name;
    EXPECT_EQ(read->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(read->text, value.text);
  }
  removePhp(fake.Env(), nullptr);
  EXPECT_FALSE(KeyExists(L"SOFTWARE\\PHP"));

  // Another product of the same vendor keeps the vendor key alive.
  HKEY other = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Apache Software Foundation\\Other", 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &other, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(other);
  removeJakarta(fake.Env(), nullptr);
  EXPECT_FALSE(KeyExists(L"SOFTWARE\\Apache Software Foundation\\Jakarta Isapi Redirector"));
  EXPECT_TRUE(KeyExists(L"SOFTWARE\\Apache Software Foundation\\Other"));
  EXPECT_EQ(RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Apache Software Foundation\\Other"), ERROR_SUCCESS);
  removeJakarta(fake.Env(), nullptr);
  EXPECT_FALSE(KeyExists(L"SOFTWARE\\Apache Software Foundation"));
}

}  // namespace
