#include "system/service_control.h"

#include "system/service_handle.h"

bool IsWebServerRunning() {
  ServiceHandle manager(OpenSCManagerW(nullptr, nullptr, GENERIC_READ));
  if (!manager.IsValid()) return false;
  ServiceHandle service(OpenServiceW(manager.Get(), TEXT("W3SVC"), SERVICE_QUERY_STATUS));
  if (!service.IsValid()) return false;
  SERVICE_STATUS_PROCESS status{};
  DWORD bytesNeeded = 0;
  if (!QueryServiceStatusEx(service.Get(), SC_STATUS_PROCESS_INFO, reinterpret_cast<LPBYTE>(&status), sizeof status,
                            &bytesNeeded)) {
    return false;
  }
  // A bit test, not equality: paused and pending-pause sites still serve.
  return (status.dwCurrentState & SERVICE_RUNNING) != 0;
}

bool StartNamedService(const WideString& serviceName) {
  ServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  if (!manager.IsValid()) return false;
  ServiceHandle service(OpenServiceW(manager.Get(), serviceName.c_str(), SERVICE_START));
  if (!service.IsValid()) return false;
  return StartServiceW(service.Get(), 0, nullptr) != FALSE;
}

bool IsServiceInstalled(const WideString& serviceName) {
  ServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  if (!manager.IsValid()) return false;
  return ServiceHandle(OpenServiceW(manager.Get(), serviceName.c_str(), SERVICE_ALL_ACCESS)).IsValid();
}
