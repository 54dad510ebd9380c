// HKEY_LOCAL_MACHINE, kept in the image document so that what nobody wrote keeps its form.
#include <cstring>

#include "host.h"

namespace {

using winsim::Host;
using winsim::Json;
using Names = std::vector<std::u16string>;

constexpr uint64_t kLocalMachine = 0x80000002u;
// What a caller without administrative rights may not do, as on a default installation.
constexpr REGSAM kChangeRights = KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK | DELETE | WRITE_DAC |
                                 WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;

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
const Host::RegistryHandle* Base(Host::Call& call, HKEY key) {
  static const Host::RegistryHandle administrator{{}, KEY_ALL_ACCESS}, user{{}, KEY_READ};
  if (KeyNumber(key) == kLocalMachine) return call.state.administrator ? &administrator : &user;
  const auto found = call.state.registryKeys.find(reinterpret_cast<uintptr_t>(key));
  return found == call.state.registryKeys.end() ? nullptr : &found->second;
}

// A missing hive is empty; it is written only when something is put in it.
Json* Hive(Host::Call& call, bool create) {
  Json& document = call.state.document;
  if (document.contains("registry") && document["registry"].is_object() &&
      document["registry"].contains("HKEY_LOCAL_MACHINE"))
    return &document["registry"]["HKEY_LOCAL_MACHINE"];
  static Json empty;
  empty = {{"name", ""}, {"values", Json::array()}, {"children", Json::array()}};
  if (create) document["registry"]["HKEY_LOCAL_MACHINE"] = empty;
  return create ? &document["registry"]["HKEY_LOCAL_MACHINE"] : &empty;
}

Json* Named(Json& key, const char* list, const std::u16string& name) {
  if (!key.contains(list)) return nullptr;
  for (auto& entry : key[list]) {
    if (winsim::EqualsIgnoreCase(winsim::ToUtf16(entry["name"].get<std::string>()), name)) return &entry;
  }
  return nullptr;
}

// Walks `names` down from `key`, adding each stored name to `path`; stops at the first missing one.
Json* Walk(Json* key, const Names& names, size_t& walked, Names* path = nullptr) {
  for (walked = 0; key && walked < names.size(); ++walked) {
    Json* child = Named(*key, "children", names[walked]);
    if (!child) break;
    if (path) path->push_back(winsim::ToUtf16((*child)["name"].get<std::string>()));
    key = child;
  }
  return key;
}

Json* Resolve(Host::Call& call, const Names& path, bool create = false) {
  size_t walked = 0;
  Json* key = Walk(Hive(call, create), path, walked);
  return walked == path.size() ? key : nullptr;
}

// A sub-key path split at "\"; only a trailing "\" may leave an empty name.
std::optional<Names> Split(const std::u16string& subKey) {
  Names names;
  std::u16string name;
  for (size_t i = 0; i <= subKey.size(); ++i) {
    if (i < subKey.size() && subKey[i] != u'\\') {
      name += subKey[i];
    } else if (name.empty() && i < subKey.size()) {
      return std::nullopt;
    } else if (!name.empty()) {
      names.push_back(std::move(name));
      name.clear();
    }
  }
  return names;
}

// Completes the call with its status; a failed open hands out no key.
LONG End(Host::Call& call, int64_t status, PHKEY out = nullptr) {
  if (out) *out = nullptr;
  call.Finish(status);
  return static_cast<LONG>(status);
}

// RegOpenKeyExW, and RegCreateKeyExW when `create` allows making what is missing.
LONG OpenKey(const char* name, HKEY hKey, LPCWSTR lpSubKey, DWORD options, REGSAM access, PHKEY out,
             LPDWORD disposition, bool create) {
  Host::Call call(name);
  call.Set("key", KeyNumber(hKey)).Text("subKey", lpSubKey).Set("options", options).Set("access", access);
  const std::u16string subKey(winsim::FromArgument(lpSubKey));
  if (auto fault = call.Fault(std::nullopt, subKey)) return End(call, *fault, out);
  if (!out || (create && !lpSubKey)) return End(call, ERROR_INVALID_PARAMETER, out);
  const auto* base = Base(call, hKey);
  if (!base) return End(call, ERROR_INVALID_HANDLE, out);
  const auto names = Split(subKey);
  if (!names) return End(call, ERROR_BAD_PATHNAME, out);
  Json* key = Resolve(call, base->path);
  if (!key) return End(call, ERROR_KEY_DELETED, out);
  // Find how much exists before changing anything.
  Names path = base->path;
  size_t existing = 0;
  Walk(key, *names, existing, &path);
  const bool creates = existing < names->size();
  if (creates && !create) return End(call, ERROR_FILE_NOT_FOUND, out);
  if (base->path.size() + names->size() > winsim::kMaxKeyDepth) return End(call, ERROR_INVALID_PARAMETER, out);
  if (!call.state.administrator && (creates || (access & kChangeRights))) return End(call, ERROR_ACCESS_DENIED, out);
  if (creates) {
    key = Walk(Resolve(call, base->path, true), *names, existing);
    for (size_t i = existing; i < names->size(); ++i) {
      if (!key->contains("children")) (*key)["children"] = Json::array();
      (*key)["children"].push_back(
          {{"name", winsim::ToUtf8((*names)[i])}, {"values", Json::array()}, {"children", Json::array()}});
      key = &(*key)["children"].back();
      path.push_back((*names)[i]);
    }
    call.state.WriteImage();
  }
  if (disposition) *disposition = creates ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  const uintptr_t value = call.NewHandle();
  call.state.registryKeys[value] = {std::move(path), Granted(access)};
  call.Set("outKey", value).Finish(ERROR_SUCCESS);
  *out = reinterpret_cast<HKEY>(value);
  return ERROR_SUCCESS;
}

}  // namespace

LONG WINAPI RegOpenKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD ulOptions, REGSAM samDesired, PHKEY phkResult) {
  return OpenKey("RegOpenKeyExW", hKey, lpSubKey, ulOptions, samDesired, phkResult, nullptr, false);
}

LONG WINAPI RegCreateKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD, LPWSTR, DWORD dwOptions, REGSAM samDesired,
                            LPSECURITY_ATTRIBUTES, PHKEY phkResult, LPDWORD lpdwDisposition) {
  return OpenKey("RegCreateKeyExW", hKey, lpSubKey, dwOptions, samDesired, phkResult, lpdwDisposition, true);
}

LONG WINAPI RegQueryValueExW(HKEY hKey, LPCWSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData,
                             LPDWORD lpcbData) {
  Host::Call call("RegQueryValueExW");
  call.Set("key", KeyNumber(hKey)).Text("valueName", lpValueName).Set("size", lpcbData ? Json(*lpcbData) : Json());
  const std::u16string name(winsim::FromArgument(lpValueName));
  if (auto fault = call.Fault(std::nullopt, name)) return End(call, *fault);
  if (lpReserved || (lpData && !lpcbData)) return End(call, ERROR_INVALID_PARAMETER);
  const auto* base = Base(call, hKey);
  if (!base) return End(call, ERROR_INVALID_HANDLE);
  if (!(base->access & KEY_QUERY_VALUE)) return End(call, ERROR_ACCESS_DENIED);
  Json* key = Resolve(call, base->path);
  if (!key) return End(call, ERROR_KEY_DELETED);
  const Json* value = Named(*key, "values", name);
  if (!value) return End(call, ERROR_FILE_NOT_FOUND);
  const DWORD type = (*value)["type"].get<DWORD>();
  const winsim::Bytes bytes = winsim::EntryBytes(*value, "data", winsim::RegistryForm(type), "a value");
  const DWORD size = static_cast<DWORD>(bytes.size());
  const LONG status = lpData && *lpcbData < size ? ERROR_MORE_DATA : ERROR_SUCCESS;
  if (lpData && status == ERROR_SUCCESS) std::memcpy(lpData, bytes.data(), bytes.size());
  if (lpType) *lpType = type;
  if (lpcbData) *lpcbData = size;
  call.Set("outType", type).Set("outSize", size);
  return End(call, status);
}

LONG WINAPI RegSetValueExW(HKEY hKey, LPCWSTR lpValueName, DWORD, DWORD dwType, CONST BYTE* lpData, DWORD cbData) {
  Host::Call call("RegSetValueExW");
  const winsim::Bytes bytes = lpData ? winsim::Bytes(reinterpret_cast<const char*>(lpData), cbData) : winsim::Bytes();
  const std::u16string name(winsim::FromArgument(lpValueName));
  call.Set("key", KeyNumber(hKey)).Text("valueName", lpValueName).Set("type", dwType).Set("length", cbData);
  if (call.Journaling()) call.Set("hex", winsim::ToHex(bytes.data(), bytes.size()));
  if (auto fault = call.Fault(std::nullopt, name)) return End(call, *fault);
  if (!lpData && cbData) return End(call, ERROR_NOACCESS);
  const auto* base = Base(call, hKey);
  if (!base) return End(call, ERROR_INVALID_HANDLE);
  if (!(base->access & KEY_SET_VALUE)) return End(call, ERROR_ACCESS_DENIED);
  Json* key = Resolve(call, base->path, base->path.empty());
  if (!key) return End(call, ERROR_KEY_DELETED);
  Json* existing = Named(*key, "values", name);
  Json value = {{"name", existing ? (*existing)["name"] : Json(winsim::ToUtf8(name))}, {"type", dwType}};
  winsim::PutBytes(value, "data", winsim::RegistryForm(dwType), bytes);
  if (existing) {
    *existing = std::move(value);  // keeps its place and its stored name
  } else {
    if (!key->contains("values")) (*key)["values"] = Json::array();
    (*key)["values"].push_back(std::move(value));
  }
  call.state.WriteImage();
  return End(call, ERROR_SUCCESS);
}

LONG WINAPI RegDeleteKeyW(HKEY hKey, LPCWSTR lpSubKey) {
  Host::Call call("RegDeleteKeyW");
  call.Set("key", KeyNumber(hKey)).Text("subKey", lpSubKey);
  const std::u16string subKey(winsim::FromArgument(lpSubKey));
  if (auto fault = call.Fault(std::nullopt, subKey)) return End(call, *fault);
  const auto* base = Base(call, hKey);
  if (!base) return End(call, ERROR_INVALID_HANDLE);
  const auto names = Split(subKey);
  if (!names) return End(call, ERROR_BAD_PATHNAME);
  if (names->empty()) return End(call, ERROR_INVALID_PARAMETER);
  Json* parent = Resolve(call, base->path);
  if (!parent) return End(call, ERROR_KEY_DELETED);
  size_t walked = 0;
  parent = Walk(parent, Names(names->begin(), names->end() - 1), walked);
  Json* key = walked + 1 == names->size() ? Named(*parent, "children", names->back()) : nullptr;
  if (!key) return End(call, ERROR_FILE_NOT_FOUND);
  if (!call.state.administrator) return End(call, ERROR_ACCESS_DENIED);
  if (key->contains("children") && !(*key)["children"].empty()) return End(call, ERROR_ACCESS_DENIED);
  auto& siblings = (*parent)["children"];
  siblings.erase(siblings.begin() + (key - &siblings[0]));
  call.state.WriteImage();
  return End(call, ERROR_SUCCESS);
}

LONG WINAPI RegCloseKey(HKEY hKey) {
  Host::Call call("RegCloseKey");
  call.Set("key", KeyNumber(hKey));
  // A planned fault frees the key all the same.
  const bool known =
      call.state.registryKeys.erase(reinterpret_cast<uintptr_t>(hKey)) > 0 || KeyNumber(hKey) == kLocalMachine;
  if (auto fault = call.Fault()) return End(call, *fault);
  if (!known) return End(call, ERROR_INVALID_HANDLE);
  return End(call, ERROR_SUCCESS);
}
