#include "services.h"

#include <cstring>
#include <stdexcept>

#include "call.h"
#include "text.h"

namespace winsim {
namespace {

// What a caller without administrative rights is granted, as on a default
// Windows installation: reading, never changing or starting.
constexpr DWORD kManagerReadRights =
    GENERIC_READ | SC_MANAGER_CONNECT | SC_MANAGER_ENUMERATE_SERVICE | SC_MANAGER_QUERY_LOCK_STATUS | READ_CONTROL;
constexpr DWORD kServiceReadRights = GENERIC_READ | SERVICE_QUERY_CONFIG | SERVICE_QUERY_STATUS |
                                     SERVICE_ENUMERATE_DEPENDENTS | SERVICE_INTERROGATE | SERVICE_USER_DEFINED_CONTROL |
                                     READ_CONTROL;

DWORD Number(const Json& service, const char* field, DWORD fallback) {
  if (!service.contains(field)) return fallback;
  const Json& value = service[field];
  if (!value.is_number_integer() || value.get<int64_t>() < 0 || value.get<int64_t>() > 0xFFFFFFFFLL)
    throw std::invalid_argument(std::string("a service's \"") + field + "\" is not a 32-bit number");
  return static_cast<DWORD>(value.get<int64_t>());
}

uint64_t HandleNumber(SC_HANDLE handle) { return reinterpret_cast<uintptr_t>(handle); }

ServiceManager::Handle* Lookup(Host& host, SC_HANDLE handle) {
  auto found = host.services.handles.find(reinterpret_cast<uintptr_t>(handle));
  return found == host.services.handles.end() ? nullptr : &found->second;
}

SC_HANDLE NewHandle(Host& host, ServiceManager::Handle handle) {
  const uintptr_t value = host.NewHandleValue();
  host.services.handles[value] = handle;
  return reinterpret_cast<SC_HANDLE>(value);
}

SC_HANDLE FailHandle(Call& call, int64_t error) {
  call.FinishWithError(0, static_cast<DWORD>(error));
  return nullptr;
}

BOOL FailBool(Call& call, int64_t error) {
  call.FinishWithError(0, static_cast<DWORD>(error));
  return FALSE;
}

}  // namespace

void ServiceManager::Load(const Json& section) {
  std::vector<Service> loaded;
  if (!section.is_null()) {
    if (!section.is_array()) throw std::invalid_argument("\"services\" is not an array");
    for (const auto& entry : section) {
      if (!entry.is_object() || !entry.contains("name") || !entry["name"].is_string())
        throw std::invalid_argument("a service has no \"name\"");
      Service service;
      service.name = ToUtf16(entry["name"].get<std::string>());
      service.state = Number(entry, "state", SERVICE_STOPPED);
      if (service.state < SERVICE_STOPPED || service.state > SERVICE_PAUSED)
        throw std::invalid_argument("a service's \"state\" is not 1 to 7");
      service.startType = Number(entry, "startType", 2);
      service.startResult = Number(entry, "startResult", 0);
      service.deniedAccess = Number(entry, "deniedAccess", 0);
      loaded.push_back(service);
    }
  }
  services = std::move(loaded);
  handles.clear();
}

std::optional<size_t> ServiceManager::Find(const std::u16string& name) const {
  for (size_t i = 0; i < services.size(); ++i) {
    if (EqualsIgnoreCase(services[i].name, name)) return i;
  }
  return std::nullopt;
}

}  // namespace winsim

using winsim::Call;

SC_HANDLE OpenSCManagerW(LPCWSTR machineName, LPCWSTR databaseName, DWORD desiredAccess) {
  Call call("OpenSCManagerW");
  call.Text("machineName", machineName).Text("databaseName", databaseName).Field("desiredAccess", desiredAccess);
  if (auto fault = call.PlannedFault()) return winsim::FailHandle(call, *fault);
  auto& host = call.host;
  if (machineName && *machineName) return winsim::FailHandle(call, 1722);  // RPC_S_SERVER_UNAVAILABLE
  if (!host.caller.administrator && (desiredAccess & ~winsim::kManagerReadRights))
    return winsim::FailHandle(call, ERROR_ACCESS_DENIED);
  SC_HANDLE handle = winsim::NewHandle(host, {true, desiredAccess, 0});
  call.Finish(winsim::HandleNumber(handle));
  return handle;
}

SC_HANDLE OpenServiceW(SC_HANDLE manager, LPCWSTR serviceName, DWORD desiredAccess) {
  Call call("OpenServiceW");
  const std::u16string name = winsim::FromArgument(serviceName);
  call.Field("manager", winsim::HandleNumber(manager)).Text("serviceName", serviceName);
  call.Field("desiredAccess", desiredAccess).MatchName(name);
  if (auto fault = call.PlannedFault()) return winsim::FailHandle(call, *fault);
  auto& host = call.host;
  const auto* managerHandle = winsim::Lookup(host, manager);
  if (!managerHandle || !managerHandle->manager) return winsim::FailHandle(call, ERROR_INVALID_HANDLE);
  if (name.empty()) return winsim::FailHandle(call, ERROR_INVALID_NAME);
  const auto index = host.services.Find(name);
  if (!index) return winsim::FailHandle(call, ERROR_SERVICE_DOES_NOT_EXIST);
  DWORD refused = host.services.services[*index].deniedAccess;
  if (!host.caller.administrator) refused |= ~winsim::kServiceReadRights;
  if (desiredAccess & refused) return winsim::FailHandle(call, ERROR_ACCESS_DENIED);
  SC_HANDLE handle = winsim::NewHandle(host, {false, desiredAccess, *index});
  call.Finish(winsim::HandleNumber(handle));
  return handle;
}

BOOL QueryServiceStatusEx(SC_HANDLE service, SC_STATUS_TYPE infoLevel, LPBYTE buffer, DWORD bufferSize,
                          LPDWORD bytesNeeded) {
  Call call("QueryServiceStatusEx");
  call.Field("service", winsim::HandleNumber(service)).Field("infoLevel", static_cast<int>(infoLevel));
  call.Field("bufferSize", bufferSize);
  if (auto fault = call.PlannedFault()) return winsim::FailBool(call, *fault);
  auto& host = call.host;
  const auto* handle = winsim::Lookup(host, service);
  if (!handle || handle->manager) return winsim::FailBool(call, ERROR_INVALID_HANDLE);
  if (!(handle->granted & SERVICE_QUERY_STATUS)) return winsim::FailBool(call, ERROR_ACCESS_DENIED);
  if (infoLevel != SC_STATUS_PROCESS_INFO) return winsim::FailBool(call, ERROR_INVALID_LEVEL);
  if (bytesNeeded) *bytesNeeded = sizeof(SERVICE_STATUS_PROCESS);
  if (bufferSize < sizeof(SERVICE_STATUS_PROCESS)) return winsim::FailBool(call, ERROR_INSUFFICIENT_BUFFER);
  if (!buffer) return winsim::FailBool(call, 998);  // ERROR_NOACCESS
  const auto& state = host.services.services[handle->service];
  SERVICE_STATUS_PROCESS status{};
  status.dwServiceType = 0x20;  // SERVICE_WIN32_SHARE_PROCESS
  status.dwCurrentState = state.state;
  status.dwControlsAccepted = state.state == SERVICE_STOPPED ? 0 : 0x7;
  status.dwProcessId = state.state == SERVICE_STOPPED ? 0 : 1000 + static_cast<DWORD>(handle->service);
  std::memcpy(buffer, &status, sizeof status);
  call.Field("outState", state.state);
  call.Finish(1);
  return TRUE;
}

BOOL StartServiceW(SC_HANDLE service, DWORD argumentCount, LPCWSTR* arguments) {
  (void)arguments;
  Call call("StartServiceW");
  call.Field("service", winsim::HandleNumber(service)).Field("argumentCount", argumentCount);
  if (auto fault = call.PlannedFault()) return winsim::FailBool(call, *fault);
  auto& host = call.host;
  const auto* handle = winsim::Lookup(host, service);
  if (!handle || handle->manager) return winsim::FailBool(call, ERROR_INVALID_HANDLE);
  if (!(handle->granted & SERVICE_START)) return winsim::FailBool(call, ERROR_ACCESS_DENIED);
  auto& state = host.services.services[handle->service];
  if (state.startType == SERVICE_DISABLED) return winsim::FailBool(call, ERROR_SERVICE_DISABLED);
  if (state.state != SERVICE_STOPPED) return winsim::FailBool(call, ERROR_SERVICE_ALREADY_RUNNING);
  if (state.startResult != 0) return winsim::FailBool(call, state.startResult);
  state.state = SERVICE_RUNNING;
  host.document["services"][handle->service]["state"] = SERVICE_RUNNING;
  host.WriteImage();
  call.Finish(1);
  return TRUE;
}

BOOL CloseServiceHandle(SC_HANDLE handle) {
  Call call("CloseServiceHandle");
  call.Field("handle", winsim::HandleNumber(handle));
  auto& handles = call.host.services.handles;
  const auto found = handles.find(reinterpret_cast<uintptr_t>(handle));
  const bool known = found != handles.end();
  if (known) handles.erase(found);  // a planned fault frees the handle all the same
  if (auto fault = call.PlannedFault()) return winsim::FailBool(call, *fault);
  if (!known) return winsim::FailBool(call, ERROR_INVALID_HANDLE);
  call.Finish(1);
  return TRUE;
}
