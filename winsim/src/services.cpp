// The service control manager and window messaging.
#include <cstring>

#include "host.h"

namespace {

using winsim::Host;

// All a caller without administrative rights is granted, as on a default installation.
constexpr DWORD kManagerReadRights =
    GENERIC_READ | SC_MANAGER_CONNECT | SC_MANAGER_ENUMERATE_SERVICE | SC_MANAGER_QUERY_LOCK_STATUS | READ_CONTROL;
constexpr DWORD kServiceReadRights = GENERIC_READ | SERVICE_QUERY_CONFIG | SERVICE_QUERY_STATUS |
                                     SERVICE_ENUMERATE_DEPENDENTS | SERVICE_INTERROGATE | SERVICE_USER_DEFINED_CONTROL |
                                     READ_CONTROL;

uint64_t Number(const void* handle) { return reinterpret_cast<uintptr_t>(handle); }

DWORD Field(const winsim::Json& service, const char* field, DWORD fallback) {
  return winsim::Number32(service, field, "a service", fallback);
}

SC_HANDLE NewHandle(Host::Call& call, Host::ServiceHandle handle) {
  const uintptr_t value = call.NewHandle();
  call.state.services[value] = handle;
  call.Finish(value);
  return reinterpret_cast<SC_HANDLE>(value);
}

// A service handle that grants `right`, or the error to fail with.
const Host::ServiceHandle* Service(Host::Call& call, SC_HANDLE service, DWORD right, DWORD& error) {
  const auto found = call.state.services.find(Number(service));
  error = found == call.state.services.end() || found->second.manager ? ERROR_INVALID_HANDLE
          : !(found->second.granted & right)                          ? ERROR_ACCESS_DENIED
                                                                      : 0;
  return error ? nullptr : &found->second;
}

int Succeed(Host::Call& call) {
  call.Finish(1);
  return TRUE;
}

template <typename Result>
Result Fail(Host::Call& call, int64_t error) {
  call.Fail(0, static_cast<DWORD>(error));
  return Result{};
}

}  // namespace

SC_HANDLE OpenSCManagerW(LPCWSTR machineName, LPCWSTR databaseName, DWORD desiredAccess) {
  Host::Call call("OpenSCManagerW");
  call.Text("machineName", machineName).Text("databaseName", databaseName).Set("desiredAccess", desiredAccess);
  if (auto fault = call.Fault()) return Fail<SC_HANDLE>(call, *fault);
  if (machineName && *machineName) return Fail<SC_HANDLE>(call, RPC_S_SERVER_UNAVAILABLE);
  if (!call.state.administrator && (desiredAccess & ~kManagerReadRights))
    return Fail<SC_HANDLE>(call, ERROR_ACCESS_DENIED);
  return NewHandle(call, {true, desiredAccess, 0});
}

SC_HANDLE OpenServiceW(SC_HANDLE manager, LPCWSTR serviceName, DWORD desiredAccess) {
  Host::Call call("OpenServiceW");
  const std::u16string name(winsim::FromArgument(serviceName));
  call.Set("manager", Number(manager)).Text("serviceName", serviceName).Set("desiredAccess", desiredAccess);
  if (auto fault = call.Fault(std::nullopt, name)) return Fail<SC_HANDLE>(call, *fault);
  const auto found = call.state.services.find(Number(manager));
  if (found == call.state.services.end() || !found->second.manager) return Fail<SC_HANDLE>(call, ERROR_INVALID_HANDLE);
  if (name.empty()) return Fail<SC_HANDLE>(call, ERROR_INVALID_NAME);
  const winsim::Json& services = call.state.document.value("services", winsim::Json::array());
  for (size_t i = 0; i < services.size(); ++i) {
    if (!winsim::EqualsIgnoreCase(winsim::ToUtf16(services[i]["name"].get<std::string>()), name)) continue;
    DWORD refused = Field(services[i], "deniedAccess", 0);
    if (!call.state.administrator) refused |= ~kServiceReadRights;
    if (desiredAccess & refused) return Fail<SC_HANDLE>(call, ERROR_ACCESS_DENIED);
    return NewHandle(call, {false, desiredAccess, i});
  }
  return Fail<SC_HANDLE>(call, ERROR_SERVICE_DOES_NOT_EXIST);
}

BOOL QueryServiceStatusEx(SC_HANDLE service, SC_STATUS_TYPE infoLevel, LPBYTE buffer, DWORD bufferSize,
                          LPDWORD bytesNeeded) {
  Host::Call call("QueryServiceStatusEx");
  call.Set("service", Number(service)).Set("infoLevel", static_cast<int>(infoLevel)).Set("bufferSize", bufferSize);
  if (auto fault = call.Fault()) return Fail<BOOL>(call, *fault);
  DWORD error = 0;
  const auto* handle = Service(call, service, SERVICE_QUERY_STATUS, error);
  if (!handle) return Fail<BOOL>(call, error);
  if (infoLevel != SC_STATUS_PROCESS_INFO) return Fail<BOOL>(call, ERROR_INVALID_LEVEL);
  if (bytesNeeded) *bytesNeeded = sizeof(SERVICE_STATUS_PROCESS);
  if (bufferSize < sizeof(SERVICE_STATUS_PROCESS)) return Fail<BOOL>(call, ERROR_INSUFFICIENT_BUFFER);
  if (!buffer) return Fail<BOOL>(call, ERROR_NOACCESS);
  const DWORD state = Field(call.state.document["services"][handle->service], "state", SERVICE_STOPPED);
  SERVICE_STATUS_PROCESS status{};
  status.dwServiceType = 0x20;  // SERVICE_WIN32_SHARE_PROCESS
  status.dwCurrentState = state;
  status.dwControlsAccepted = state == SERVICE_STOPPED ? 0 : 0x7;
  status.dwProcessId = state == SERVICE_STOPPED ? 0 : 1000 + static_cast<DWORD>(handle->service);
  std::memcpy(buffer, &status, sizeof status);
  call.Set("outState", state);
  return Succeed(call);
}

BOOL StartServiceW(SC_HANDLE service, DWORD argumentCount, LPCWSTR*) {
  Host::Call call("StartServiceW");
  call.Set("service", Number(service)).Set("argumentCount", argumentCount);
  if (auto fault = call.Fault()) return Fail<BOOL>(call, *fault);
  DWORD error = 0;
  const auto* handle = Service(call, service, SERVICE_START, error);
  if (!handle) return Fail<BOOL>(call, error);
  winsim::Json& entry = call.state.document["services"][handle->service];
  if (Field(entry, "startType", 2) == SERVICE_DISABLED) return Fail<BOOL>(call, ERROR_SERVICE_DISABLED);
  if (Field(entry, "state", SERVICE_STOPPED) != SERVICE_STOPPED) return Fail<BOOL>(call, ERROR_SERVICE_ALREADY_RUNNING);
  if (const DWORD result = Field(entry, "startResult", 0)) return Fail<BOOL>(call, result);
  entry["state"] = SERVICE_RUNNING;
  call.state.WriteImage();
  return Succeed(call);
}

BOOL CloseServiceHandle(SC_HANDLE handle) {
  Host::Call call("CloseServiceHandle");
  call.Set("handle", Number(handle));
  // A planned fault frees the handle all the same.
  const bool known = call.state.services.erase(Number(handle)) > 0;
  if (auto fault = call.Fault()) return Fail<BOOL>(call, *fault);
  if (!known) return Fail<BOOL>(call, ERROR_INVALID_HANDLE);
  return Succeed(call);
}

// No windows exist here: a broadcast is recorded in the image, and nobody answers.
LRESULT WINAPI SendMessageTimeoutW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam, UINT fuFlags, UINT uTimeout,
                                   PDWORD_PTR lpdwResult) {
  Host::Call call("SendMessageTimeoutW");
  // A setting change names its section by a text; other messages carry a number.
  const winsim::Json parameter = Msg == WM_SETTINGCHANGE && lParam != 0
                                     ? winsim::Json(winsim::ToUtf8(reinterpret_cast<const char16_t*>(lParam)))
                                     : winsim::Json(static_cast<int64_t>(lParam));
  const winsim::Json broadcast = {
      {"window", Number(hWnd)}, {"message", Msg},   {"wParam", static_cast<uint64_t>(wParam)},
      {"lParam", parameter},    {"flags", fuFlags}, {"timeout", uTimeout}};
  for (const auto& [field, value] : broadcast.items()) call.Set(field.c_str(), value);
  if (auto fault = call.Fault()) return Fail<LRESULT>(call, *fault);
  if (hWnd != HWND_BROADCAST) return Fail<LRESULT>(call, ERROR_INVALID_WINDOW_HANDLE);
  if (lpdwResult) *lpdwResult = 0;
  winsim::Json& document = call.state.document;
  if (!document.contains("broadcasts") || document["broadcasts"].is_null())
    document["broadcasts"] = winsim::Json::array();
  document["broadcasts"].push_back(broadcast);
  call.state.WriteImage();
  return Succeed(call);
}
