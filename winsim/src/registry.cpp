#include "registry.h"

#include <cstring>
#include <stdexcept>

#include "call.h"
#include "text.h"

namespace winsim {
namespace {

constexpr uint64_t kLocalMachine = 0x80000002u;
// What a caller without administrative rights may not do under the machine
// hive, as on a default Windows installation.
constexpr REGSAM kChangeRights = KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK | DELETE | WRITE_DAC |
                                 WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;

using Units = std::u16string;

std::string UnitsToBytes(const Units& units) {
  std::string bytes;
  for (char16_t unit : units) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

Units BytesToUnits(const std::string& bytes) {
  Units units;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2)
    units +=
        static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8));
  return units;
}

std::string NumberBytes(uint64_t number, size_t size) {
  std::string bytes;
  for (size_t i = 0; i < size; ++i) bytes += static_cast<char>((number >> (8 * i)) & 0xFF);
  return bytes;
}

uint64_t BytesNumber(const std::string& bytes) {
  uint64_t number = 0;
  for (size_t i = bytes.size(); i-- > 0;) number = (number << 8) | static_cast<unsigned char>(bytes[i]);
  return number;
}

std::string HexText(const std::string& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string hex;
  for (char byte : bytes) {
    hex += digits[(static_cast<unsigned char>(byte) >> 4) & 0xF];
    hex += digits[static_cast<unsigned char>(byte) & 0xF];
  }
  return hex;
}

std::optional<std::string> HexBytes(const std::string& hex) {
  auto digit = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  if (hex.size() % 2) return std::nullopt;
  std::string bytes;
  for (size_t i = 0; i < hex.size(); i += 2) {
    const int high = digit(hex[i]), low = digit(hex[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    bytes += static_cast<char>(high * 16 + low);
  }
  return bytes;
}

bool IsStringType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ; }

// The bytes a "data" form stands for; nullopt when it does not fit the type.
std::optional<std::string> DataBytes(DWORD type, const Json& data) {
  if (IsStringType(type) && data.is_string()) return UnitsToBytes(ToUtf16(data.get<std::string>()) + u'\0');
  if (type == REG_DWORD && data.is_number_unsigned() && data.get<uint64_t>() <= 0xFFFFFFFFu)
    return NumberBytes(data.get<uint64_t>(), 4);
  if (type == REG_QWORD && data.is_number_unsigned()) return NumberBytes(data.get<uint64_t>(), 8);
  if (type == REG_MULTI_SZ && data.is_array()) {
    Units units;
    for (const auto& entry : data) {
      if (!entry.is_string()) return std::nullopt;
      units += ToUtf16(entry.get<std::string>()) + u'\0';
    }
    if (units.empty() || !data.empty()) units += u'\0';
    return UnitsToBytes(units);
  }
  return std::nullopt;
}

// The "data" form of bytes, when one gives exactly these bytes back.
std::optional<Json> DataForm(DWORD type, const std::string& bytes) {
  std::optional<Json> form;
  if (type == REG_DWORD && bytes.size() == 4) return Json(BytesNumber(bytes));
  if (type == REG_QWORD && bytes.size() == 8) return Json(BytesNumber(bytes));
  if (bytes.size() % 2 || bytes.size() < 2) return std::nullopt;
  const Units units = BytesToUnits(bytes);
  if (IsStringType(type)) {
    const Units text = units.substr(0, units.size() - 1);
    if (units.back() != 0 || text.find(u'\0') != Units::npos) return std::nullopt;
    form = ToUtf8(text);
  } else if (type == REG_MULTI_SZ) {
    form = Json::array();
    if (units.size() > 1) {
      if (units[units.size() - 2] != 0) return std::nullopt;
      Units entry;
      for (size_t i = 0; i + 1 < units.size(); ++i) {
        if (units[i] != 0) {
          entry += units[i];
        } else if (entry.empty()) {
          return std::nullopt;  // an empty entry would end the list early
        } else {
          form->push_back(ToUtf8(entry));
          entry.clear();
        }
      }
    }
  } else {
    return std::nullopt;
  }
  // Text that UTF-8 cannot carry (a lone surrogate) stays in hex.
  if (DataBytes(type, *form) != bytes) return std::nullopt;
  return form;
}

void ValidateKey(const Json& key, const std::string& where) {
  if (!key.is_object() || !key.contains("name") || !key["name"].is_string())
    throw std::invalid_argument(where + " is not a registry key with a \"name\"");
  for (const char* list : {"values", "children"}) {
    if (key.contains(list) && !key[list].is_array())
      throw std::invalid_argument(where + "." + list + " is not an array");
  }
  if (key.contains("values")) {
    for (const auto& value : key["values"]) {
      const std::string at = where + " value " + value.value("name", Json("?")).dump();
      if (!value.is_object() || !value.contains("name") || !value["name"].is_string())
        throw std::invalid_argument(where + " has a value without a \"name\"");
      if (!value.contains("type") || !value["type"].is_number_unsigned() || value["type"].get<uint64_t>() > 0xFFFFFFFFu)
        throw std::invalid_argument(at + " has no 32-bit \"type\"");
      const DWORD type = value["type"].get<DWORD>();
      if (value.contains("hex")) {
        if (!value["hex"].is_string() || !HexBytes(value["hex"].get<std::string>()))
          throw std::invalid_argument(at + ": \"hex\" is not pairs of hex digits");
      } else if (!value.contains("data") || !DataBytes(type, value["data"])) {
        throw std::invalid_argument(at + ": \"data\" does not fit type " + std::to_string(type) + ", or is missing");
      }
    }
  }
  if (key.contains("children")) {
    for (const auto& child : key["children"])
      ValidateKey(child, where + "\\" + child.value("name", Json("?")).get<std::string>());
  }
}

Json* FindChild(Json& key, const std::u16string& name) {
  if (!key.contains("children")) return nullptr;
  for (auto& child : key["children"]) {
    if (EqualsIgnoreCase(ToUtf16(child["name"].get<std::string>()), name)) return &child;
  }
  return nullptr;
}

Json* FindValue(Json& key, const std::u16string& name) {
  if (!key.contains("values")) return nullptr;
  for (auto& value : key["values"]) {
    if (EqualsIgnoreCase(ToUtf16(value["name"].get<std::string>()), name)) return &value;
  }
  return nullptr;
}

Json* MachineHive(Host& host, bool create) {
  Json& document = host.document;
  const bool present = document.contains("registry") && document["registry"].is_object() &&
                       document["registry"].contains("HKEY_LOCAL_MACHINE");
  if (!present && !create) return nullptr;
  if (!present)
    document["registry"]["HKEY_LOCAL_MACHINE"] = {{"name", ""}, {"values", Json::array()}, {"children", Json::array()}};
  return &document["registry"]["HKEY_LOCAL_MACHINE"];
}

Json* Resolve(Host& host, const std::vector<std::u16string>& path) {
  Json* key = MachineHive(host, false);
  for (const auto& name : path) {
    if (!key) return nullptr;
    key = FindChild(*key, name);
  }
  if (!key && path.empty()) {
    // A missing section is an empty hive; it is written only when something is put in it.
    host.registry.emptyHive = {{"name", ""}, {"values", Json::array()}, {"children", Json::array()}};
    return &host.registry.emptyHive;
  }
  return key;
}

uint64_t KeyNumber(HKEY key) {
  const uint64_t number = reinterpret_cast<uintptr_t>(key);
  return (number & 0xFFFFFFFFu) == kLocalMachine && (number >> 32) ? kLocalMachine : number;  // sign-extended
}

REGSAM Granted(REGSAM access) {
  if (access & GENERIC_READ) access |= KEY_READ;
  if (access & GENERIC_WRITE) access |= KEY_WRITE;
  if (access & GENERIC_ALL) access |= KEY_ALL_ACCESS;
  return access;
}

// The handle a call is made on; the machine hive itself needs no opening.
std::optional<Registry::Handle> Base(Host& host, HKEY key) {
  if (KeyNumber(key) == kLocalMachine)
    return Registry::Handle{{}, static_cast<REGSAM>(host.caller.administrator ? KEY_ALL_ACCESS : KEY_READ)};
  const auto found = host.registry.handles.find(reinterpret_cast<uintptr_t>(key));
  if (found == host.registry.handles.end()) return std::nullopt;
  return found->second;
}

// A sub-key path split at "\"; only a trailing "\" may leave an empty name.
std::optional<std::vector<std::u16string>> Split(const std::u16string& subKey) {
  std::vector<std::u16string> names;
  if (subKey.empty()) return names;
  std::u16string name;
  for (size_t i = 0; i <= subKey.size(); ++i) {
    if (i < subKey.size() && subKey[i] != u'\\') {
      name += subKey[i];
      continue;
    }
    if (name.empty() && i < subKey.size()) return std::nullopt;
    if (!name.empty()) names.push_back(name);
    name.clear();
  }
  return names;
}

LONG Fail(Call& call, LONG status, PHKEY out = nullptr) {
  if (out) *out = nullptr;
  call.Finish(status);
  return status;
}

HKEY NewKey(Call& call, std::vector<std::u16string> path, REGSAM access) {
  const uintptr_t value = call.host.NewHandleValue();
  call.host.registry.handles[value] = Registry::Handle{std::move(path), Granted(access)};
  call.Field("outKey", value);
  return reinterpret_cast<HKEY>(value);
}

}  // namespace

void Registry::Validate(const Json& registry) {
  if (registry.is_null()) return;
  if (!registry.is_object()) throw std::invalid_argument("\"registry\" is not an object");
  for (auto& [hive, key] : registry.items()) {
    if (hive == "HKEY_LOCAL_MACHINE") ValidateKey(key, "registry.HKEY_LOCAL_MACHINE");
  }
}

std::string RegistryValueBytes(const Json& value) {
  if (value.contains("hex")) return *HexBytes(value["hex"].get<std::string>());
  return DataBytes(value["type"].get<DWORD>(), value["data"]).value_or(std::string());
}

Json RegistryValue(const std::u16string& name, DWORD type, const std::string& bytes) {
  Json value = {{"name", ToUtf8(name)}, {"type", type}};
  if (auto data = DataForm(type, bytes)) {
    value["data"] = *data;
  } else {
    value["hex"] = HexText(bytes);
  }
  return value;
}

}  // namespace winsim

using winsim::Call;
using winsim::Json;

LONG WINAPI RegOpenKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD ulOptions, REGSAM samDesired, PHKEY phkResult) {
  Call call("RegOpenKeyExW");
  const std::u16string subKey = winsim::FromArgument(lpSubKey);
  call.Field("key", winsim::KeyNumber(hKey)).Text("subKey", lpSubKey).Field("options", ulOptions);
  call.Field("access", samDesired).MatchName(subKey);
  if (auto fault = call.PlannedFault()) return winsim::Fail(call, static_cast<LONG>(*fault), phkResult);
  if (!phkResult) return winsim::Fail(call, ERROR_INVALID_PARAMETER);
  auto& host = call.host;
  const auto base = winsim::Base(host, hKey);
  if (!base) return winsim::Fail(call, ERROR_INVALID_HANDLE, phkResult);
  const auto names = winsim::Split(subKey);
  if (!names) return winsim::Fail(call, ERROR_BAD_PATHNAME, phkResult);
  Json* key = winsim::Resolve(host, base->path);
  if (!key) return winsim::Fail(call, ERROR_KEY_DELETED, phkResult);
  auto path = base->path;
  for (const auto& name : *names) {
    key = winsim::FindChild(*key, name);
    if (!key) return winsim::Fail(call, ERROR_FILE_NOT_FOUND, phkResult);
    path.push_back(winsim::ToUtf16((*key)["name"].get<std::string>()));
  }
  if (!host.caller.administrator && (samDesired & winsim::kChangeRights))
    return winsim::Fail(call, ERROR_ACCESS_DENIED, phkResult);
  *phkResult = winsim::NewKey(call, std::move(path), samDesired);
  call.Finish(ERROR_SUCCESS);
  return ERROR_SUCCESS;
}

LONG WINAPI RegCreateKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD Reserved, LPWSTR lpClass, DWORD dwOptions,
                            REGSAM samDesired, LPSECURITY_ATTRIBUTES lpSecurityAttributes, PHKEY phkResult,
                            LPDWORD lpdwDisposition) {
  (void)Reserved;
  (void)lpClass;
  (void)lpSecurityAttributes;
  Call call("RegCreateKeyExW");
  const std::u16string subKey = winsim::FromArgument(lpSubKey);
  call.Field("key", winsim::KeyNumber(hKey)).Text("subKey", lpSubKey).Field("options", dwOptions);
  call.Field("access", samDesired).MatchName(subKey);
  if (auto fault = call.PlannedFault()) return winsim::Fail(call, static_cast<LONG>(*fault), phkResult);
  if (!phkResult || !lpSubKey) return winsim::Fail(call, ERROR_INVALID_PARAMETER, phkResult);
  auto& host = call.host;
  const auto base = winsim::Base(host, hKey);
  if (!base) return winsim::Fail(call, ERROR_INVALID_HANDLE, phkResult);
  const auto names = winsim::Split(subKey);
  if (!names) return winsim::Fail(call, ERROR_BAD_PATHNAME, phkResult);
  if (!winsim::Resolve(host, base->path)) return winsim::Fail(call, ERROR_KEY_DELETED, phkResult);
  // Find how much exists before changing anything.
  auto path = base->path;
  size_t existing = 0;
  for (Json* key = winsim::Resolve(host, path); existing < names->size(); ++existing) {
    key = winsim::FindChild(*key, (*names)[existing]);
    if (!key) break;
    path.push_back(winsim::ToUtf16((*key)["name"].get<std::string>()));
  }
  const bool creates = existing < names->size();
  if (!host.caller.administrator && (creates || (samDesired & winsim::kChangeRights)))
    return winsim::Fail(call, ERROR_ACCESS_DENIED, phkResult);
  if (creates) {
    Json* key = base->path.empty() ? winsim::MachineHive(host, true) : winsim::Resolve(host, base->path);
    for (size_t i = 0; i < existing; ++i) key = winsim::FindChild(*key, (*names)[i]);
    for (size_t i = existing; i < names->size(); ++i) {
      if (!key->contains("children")) (*key)["children"] = Json::array();
      (*key)["children"].push_back(
          {{"name", winsim::ToUtf8((*names)[i])}, {"values", Json::array()}, {"children", Json::array()}});
      key = &(*key)["children"].back();
      path.push_back((*names)[i]);
    }
    host.WriteImage();
  }
  if (lpdwDisposition) *lpdwDisposition = creates ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  *phkResult = winsim::NewKey(call, std::move(path), samDesired);
  call.Finish(ERROR_SUCCESS);
  return ERROR_SUCCESS;
}

LONG WINAPI RegQueryValueExW(HKEY hKey, LPCWSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData,
                             LPDWORD lpcbData) {
  Call call("RegQueryValueExW");
  const std::u16string name = winsim::FromArgument(lpValueName);
  call.Field("key", winsim::KeyNumber(hKey)).Text("valueName", lpValueName);
  call.Field("size", lpcbData ? Json(*lpcbData) : Json()).MatchName(name);
  if (auto fault = call.PlannedFault()) return winsim::Fail(call, static_cast<LONG>(*fault));
  if (lpReserved || (lpData && !lpcbData)) return winsim::Fail(call, ERROR_INVALID_PARAMETER);
  auto& host = call.host;
  const auto base = winsim::Base(host, hKey);
  if (!base) return winsim::Fail(call, ERROR_INVALID_HANDLE);
  if (!(base->access & KEY_QUERY_VALUE)) return winsim::Fail(call, ERROR_ACCESS_DENIED);
  Json* key = winsim::Resolve(host, base->path);
  if (!key) return winsim::Fail(call, ERROR_KEY_DELETED);
  const Json* value = winsim::FindValue(*key, name);
  if (!value) return winsim::Fail(call, ERROR_FILE_NOT_FOUND);
  const std::string bytes = winsim::RegistryValueBytes(*value);
  const DWORD type = (*value)["type"].get<DWORD>();
  const DWORD size = static_cast<DWORD>(bytes.size());
  LONG status = ERROR_SUCCESS;
  if (lpData && *lpcbData < size) {
    status = ERROR_MORE_DATA;
  } else if (lpData) {
    std::memcpy(lpData, bytes.data(), bytes.size());
  }
  if (lpType) *lpType = type;
  if (lpcbData) *lpcbData = size;
  call.Field("outType", type).Field("outSize", size);
  call.Finish(status);
  return status;
}

LONG WINAPI RegSetValueExW(HKEY hKey, LPCWSTR lpValueName, DWORD Reserved, DWORD dwType, CONST BYTE* lpData,
                           DWORD cbData) {
  (void)Reserved;
  Call call("RegSetValueExW");
  const std::u16string name = winsim::FromArgument(lpValueName);
  const std::string bytes = lpData ? std::string(reinterpret_cast<const char*>(lpData), cbData) : std::string();
  call.Field("key", winsim::KeyNumber(hKey)).Text("valueName", lpValueName).Field("type", dwType);
  call.Field("length", cbData).Field("hex", winsim::HexText(bytes)).MatchName(name);
  if (auto fault = call.PlannedFault()) return winsim::Fail(call, static_cast<LONG>(*fault));
  if (!lpData && cbData) return winsim::Fail(call, 998);  // ERROR_NOACCESS
  auto& host = call.host;
  const auto base = winsim::Base(host, hKey);
  if (!base) return winsim::Fail(call, ERROR_INVALID_HANDLE);
  if (!(base->access & KEY_SET_VALUE)) return winsim::Fail(call, ERROR_ACCESS_DENIED);
  Json* key = base->path.empty() ? winsim::MachineHive(host, true) : winsim::Resolve(host, base->path);
  if (!key) return winsim::Fail(call, ERROR_KEY_DELETED);
  if (Json* existing = winsim::FindValue(*key, name)) {
    *existing = winsim::RegistryValue(winsim::ToUtf16((*existing)["name"].get<std::string>()), dwType, bytes);
  } else {
    if (!key->contains("values")) (*key)["values"] = Json::array();
    (*key)["values"].push_back(winsim::RegistryValue(name, dwType, bytes));
  }
  host.WriteImage();
  call.Finish(ERROR_SUCCESS);
  return ERROR_SUCCESS;
}

LONG WINAPI RegDeleteKeyW(HKEY hKey, LPCWSTR lpSubKey) {
  Call call("RegDeleteKeyW");
  const std::u16string subKey = winsim::FromArgument(lpSubKey);
  call.Field("key", winsim::KeyNumber(hKey)).Text("subKey", lpSubKey).MatchName(subKey);
  if (auto fault = call.PlannedFault()) return winsim::Fail(call, static_cast<LONG>(*fault));
  auto& host = call.host;
  const auto base = winsim::Base(host, hKey);
  if (!base) return winsim::Fail(call, ERROR_INVALID_HANDLE);
  const auto names = winsim::Split(subKey);
  if (!names) return winsim::Fail(call, ERROR_BAD_PATHNAME);
  if (names->empty()) return winsim::Fail(call, ERROR_INVALID_PARAMETER);
  Json* parent = winsim::Resolve(host, base->path);
  if (!parent) return winsim::Fail(call, ERROR_KEY_DELETED);
  for (size_t i = 0; i + 1 < names->size() && parent; ++i) parent = winsim::FindChild(*parent, (*names)[i]);
  Json* key = parent ? winsim::FindChild(*parent, names->back()) : nullptr;
  if (!key) return winsim::Fail(call, ERROR_FILE_NOT_FOUND);
  if (!host.caller.administrator) return winsim::Fail(call, ERROR_ACCESS_DENIED);
  if (key->contains("children") && !(*key)["children"].empty()) return winsim::Fail(call, ERROR_ACCESS_DENIED);
  auto& siblings = (*parent)["children"];
  for (size_t i = 0; i < siblings.size(); ++i) {
    if (&siblings[i] == key) {
      siblings.erase(i);
      break;
    }
  }
  host.WriteImage();
  call.Finish(ERROR_SUCCESS);
  return ERROR_SUCCESS;
}

LONG WINAPI RegCloseKey(HKEY hKey) {
  Call call("RegCloseKey");
  call.Field("key", winsim::KeyNumber(hKey));
  auto& handles = call.host.registry.handles;
  const auto found = handles.find(reinterpret_cast<uintptr_t>(hKey));
  const bool known = found != handles.end() || winsim::KeyNumber(hKey) == winsim::kLocalMachine;
  if (found != handles.end()) handles.erase(found);  // a planned fault frees the key all the same
  if (auto fault = call.PlannedFault()) return winsim::Fail(call, static_cast<LONG>(*fault));
  if (!known) return winsim::Fail(call, ERROR_INVALID_HANDLE);
  call.Finish(ERROR_SUCCESS);
  return ERROR_SUCCESS;
}
