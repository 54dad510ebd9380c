#pragma once

#include <winsim/win32_services.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "json.h"

namespace winsim {

struct Service {
  std::u16string name;
  DWORD state = SERVICE_STOPPED;
  DWORD startType = 2;
  DWORD startResult = 0;
  DWORD deniedAccess = 0;
};

// The service control manager's services and the handles open on them.
class ServiceManager {
 public:
  // Throws std::invalid_argument on a malformed "services" section.
  void Load(const Json& services);

  std::vector<Service> services;  // in image order

  struct Handle {
    bool manager = true;
    DWORD granted = 0;
    size_t service = 0;
  };
  std::map<uintptr_t, Handle> handles;

  std::optional<size_t> Find(const std::u16string& name) const;
};

}  // namespace winsim
