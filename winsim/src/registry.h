#pragma once

#include <winsim/win32_registry.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "json.h"

namespace winsim {

// The registry lives in the image document itself ("registry" ->
// "HKEY_LOCAL_MACHINE"), so that what nobody wrote keeps its form; this holds
// what is not on disk: the open handles, each naming its key by the stored
// names from the root down.
class Registry {
 public:
  // Throws std::invalid_argument on a malformed "registry" section.
  static void Validate(const Json& registry);

  struct Handle {
    std::vector<std::u16string> path;
    REGSAM access = 0;
  };
  std::map<uintptr_t, Handle> handles;
  Json emptyHive;
};

// A registry value's bytes from its image form ("data" or "hex").
std::string RegistryValueBytes(const Json& value);
// The image form of bytes written with a type: "data" when the bytes are
// exactly what that data would give back, "hex" otherwise.
Json RegistryValue(const std::u16string& name, DWORD type, const std::string& bytes);

}  // namespace winsim
