#include "system/registry_key.h"

#include <exception>
#include <limits>
#include <vector>

RegistryKey::RegistryKey(HKEY root, const WideString& subKeyPath) {
  // In the body: handle_ must be initialised before the call fills it.
  openStatus_ = RegOpenKeyExW(root, subKeyPath.c_str(), 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &handle_);
}

RegistryKey::~RegistryKey() {
  if (IsOpen()) RegCloseKey(handle_);
}

bool RegistryKey::SetStringValue(const WideString& name, const WideString& text) { return SetText(name, REG_SZ, text); }

bool RegistryKey::SetExpandStringValue(const WideString& name, const WideString& text) {
  return SetText(name, REG_EXPAND_SZ, text);
}

bool RegistryKey::SetText(const WideString& name, DWORD type, const WideString& text) {
  if (!IsOpen()) return false;
  // The byte count covers the closing NUL and must fit a DWORD.
  if (text.size() >= std::numeric_limits<DWORD>::max() / sizeof(WCHAR)) return false;
  const auto bytes = static_cast<DWORD>((text.size() + 1) * sizeof(WCHAR));
  return RegSetValueExW(handle_, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(text.c_str()), bytes) ==
         ERROR_SUCCESS;
}

bool RegistryKey::QueryStringValue(const WideString& name, WideString& text) {
  if (!IsOpen()) return false;
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExW(handle_, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
  if (size == 0) return true;
  std::vector<WCHAR> buffer;
  try {
    buffer.resize((size + sizeof(WCHAR) - 1) / sizeof(WCHAR));
  } catch (const std::exception&) {
    return false;
  }
  if (RegQueryValueExW(handle_, name.c_str(), nullptr, &type, reinterpret_cast<LPBYTE>(buffer.data()), &size) !=
      ERROR_SUCCESS) {
    return false;
  }
  const size_t units = size / sizeof(WCHAR);
  size_t length = 0;
  while (length < units && buffer[length] != 0) ++length;
  text.assign(buffer.data(), length);
  return true;
}

bool RegistryKey::CreateSubKey(const WideString& name) {
  if (!IsOpen()) return false;
  HKEY created = nullptr;
  if (RegCreateKeyExW(handle_, name.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &created,
                      nullptr) != ERROR_SUCCESS) {
    return false;
  }
  RegCloseKey(created);
  return true;
}

bool RegistryKey::DeleteSubKey(const WideString& name) {
  return IsOpen() && RegDeleteKeyW(handle_, name.c_str()) == ERROR_SUCCESS;
}
