#include "host.h"

DWORD GetLastError() {
  auto& host = winsim::Host::Instance();
  std::lock_guard<std::mutex> lock(host.mutex);
  return host.CurrentThread().lastError;
}

void SetLastError(DWORD error) {
  auto& host = winsim::Host::Instance();
  std::lock_guard<std::mutex> lock(host.mutex);
  host.CurrentThread().lastError = error;
}
