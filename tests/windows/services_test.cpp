#include <windows.h>

#include <string>

#include "windows/library.h"

namespace {

// IISADMIN and W3SVC as real services of the prefix, run by service_stub.exe.
class ServicesTest : public LibraryTest {
 protected:
  static void SetUpTestSuite() {
    for (const wchar_t* name : {L"IISADMIN", L"W3SVC"}) Create(name);
  }
  static void TearDownTestSuite() {
    for (const wchar_t* name : {L"IISADMIN", L"W3SVC"}) EXPECT_TRUE(Delete(name)) << "service not deletable";
  }

  static std::wstring StubPath() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    return folder.substr(0, folder.find_last_of(L"\\/") + 1) + L"service_stub.exe";
  }

  static void Create(const wchar_t* name) {
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    SC_HANDLE service =
        CreateServiceW(manager, name, name, SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START,
                       SERVICE_ERROR_NORMAL, StubPath().c_str(), nullptr, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(service, nullptr) << "CreateServiceW: " << GetLastError();
    CloseServiceHandle(service);
    CloseServiceHandle(manager);
  }

  static bool Delete(const wchar_t* name) {
    Control(name, SERVICE_CONTROL_STOP, SERVICE_STOPPED);
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    SC_HANDLE service = OpenServiceW(manager, name, SERVICE_ALL_ACCESS);
    const bool deleted = service && DeleteService(service);
    if (service) CloseServiceHandle(service);
    CloseServiceHandle(manager);
    return deleted;
  }

  static DWORD State(const wchar_t* name) {
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, GENERIC_READ);
    SC_HANDLE service = OpenServiceW(manager, name, SERVICE_QUERY_STATUS);
    SERVICE_STATUS_PROCESS status = {};
    DWORD needed = 0;
    QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status), sizeof status, &needed);
    CloseServiceHandle(service);
    CloseServiceHandle(manager);
    return status.dwCurrentState;
  }

  static bool WaitFor(const wchar_t* name, DWORD state) {
    for (int i = 0; i < 200; ++i) {
      if (State(name) == state) return true;
      Sleep(50);
    }
    return false;
  }

  static void Control(const wchar_t* name, DWORD control, DWORD state) {
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    SC_HANDLE service = OpenServiceW(manager, name, SERVICE_ALL_ACCESS);
    SERVICE_STATUS status = {};
    if (State(name) != state) ControlService(service, control, &status);
    CloseServiceHandle(service);
    CloseServiceHandle(manager);
    WaitFor(name, state);
  }

  static void Run(const wchar_t* name) {
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    SC_HANDLE service = OpenServiceW(manager, name, SERVICE_START);
    if (State(name) == SERVICE_STOPPED) StartServiceW(service, 0, nullptr);
    CloseServiceHandle(service);
    CloseServiceHandle(manager);
    ASSERT_TRUE(WaitFor(name, SERVICE_RUNNING) || WaitFor(name, SERVICE_PAUSED));
  }
};

TEST_F(ServicesTest, WebServerRunningFollowsTheRealServiceState) {
  const auto isRunning = NATIVE_METHOD(library, jniIsIISWebserverRunning);
  ASSERT_NE(isRunning, nullptr);
  Run(L"W3SVC");
  Control(L"W3SVC", SERVICE_CONTROL_CONTINUE, SERVICE_RUNNING);
  EXPECT_EQ(isRunning(fake.Env(), nullptr), JNI_TRUE) << "running";
  Control(L"W3SVC", SERVICE_CONTROL_PAUSE, SERVICE_PAUSED);
  EXPECT_EQ(isRunning(fake.Env(), nullptr), JNI_TRUE) << "paused";
  Control(L"W3SVC", SERVICE_CONTROL_STOP, SERVICE_STOPPED);
  EXPECT_EQ(isRunning(fake.Env(), nullptr), JNI_FALSE) << "stopped";
}

TEST_F(ServicesTest, StartsAStoppedAdminServiceAndRefusesARunningOne) {
  const auto start = NATIVE_METHOD(library, jniStartIISAdminService);
  ASSERT_NE(start, nullptr);
  Control(L"IISADMIN", SERVICE_CONTROL_STOP, SERVICE_STOPPED);
  start(fake.Env(), nullptr);
  EXPECT_TRUE(WaitFor(L"IISADMIN", SERVICE_RUNNING));
  start(fake.Env(), nullptr);  // already running: returns all the same
  EXPECT_EQ(State(L"IISADMIN"), static_cast<DWORD>(SERVICE_RUNNING));
}

TEST_F(ServicesTest, InstalledOnlyWhileTheAdminServiceExists) {
  const auto installed = NATIVE_METHOD(library, jniIsIISInstalled);
  ASSERT_NE(installed, nullptr);
  EXPECT_EQ(installed(fake.Env(), nullptr), JNI_TRUE);
  ASSERT_TRUE(Delete(L"IISADMIN"));
  EXPECT_EQ(installed(fake.Env(), nullptr), JNI_FALSE);
  Create(L"IISADMIN");
  EXPECT_EQ(installed(fake.Env(), nullptr), JNI_TRUE);
}

}  // namespace
