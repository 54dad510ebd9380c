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

  static void Create(const wchar_t* name) {
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    SC_HANDLE service = CreateServiceW(
        manager, name, name, SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
        BesideTests(L"service_stub.exe").c_str(), nullptr, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(service, nullptr) << "CreateServiceW: " << GetLastError();
    CloseServiceHandle(service);
    CloseServiceHandle(manager);
  }

  // What does with the opened service (null when missing), both handles closed after.
  template <typename What>
  static auto With(const wchar_t* name, What does) {
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    SC_HANDLE service = OpenServiceW(manager, name, SERVICE_ALL_ACCESS);
    const auto result = does(service);
    if (service) CloseServiceHandle(service);
    CloseServiceHandle(manager);
    return result;
  }

  static DWORD State(const wchar_t* name) {
    return With(name, [](SC_HANDLE service) {
      SERVICE_STATUS_PROCESS status = {};
      DWORD needed = 0;
      QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status), sizeof status, &needed);
      return status.dwCurrentState;
    });
  }

  static bool WaitFor(const wchar_t* name, DWORD state) {
    for (int i = 0; i < 200 && State(name) != state; ++i) Sleep(50);
    return State(name) == state;
  }

  static void Control(const wchar_t* name, DWORD control, DWORD state) {
    if (State(name) == state) return;
    With(name, [control](SC_HANDLE service) {
      SERVICE_STATUS status = {};
      return ControlService(service, control, &status);
    });
    WaitFor(name, state);
  }

  static bool Delete(const wchar_t* name) {
    Control(name, SERVICE_CONTROL_STOP, SERVICE_STOPPED);
    return With(name, [](SC_HANDLE service) { return service && DeleteService(service); });
  }

  static void Start(const wchar_t* name) {
    Control(name, SERVICE_CONTROL_STOP, SERVICE_STOPPED);
    With(name, [](SC_HANDLE service) { return StartServiceW(service, 0, nullptr); });
    ASSERT_TRUE(WaitFor(name, SERVICE_RUNNING));
  }
};

TEST_F(ServicesTest, MethodsFollowTheRealServices) {
  const auto isRunning = NATIVE_METHOD(library, jniIsIISWebserverRunning);
  const auto start = NATIVE_METHOD(library, jniStartIISAdminService);
  const auto installed = NATIVE_METHOD(library, jniIsIISInstalled);
  ASSERT_TRUE(isRunning && start && installed);
  Start(L"W3SVC");
  EXPECT_EQ(isRunning(fake.Env(), nullptr), JNI_TRUE) << "running";
  Control(L"W3SVC", SERVICE_CONTROL_PAUSE, SERVICE_PAUSED);
  EXPECT_EQ(isRunning(fake.Env(), nullptr), JNI_TRUE) << "paused";
  Control(L"W3SVC", SERVICE_CONTROL_STOP, SERVICE_STOPPED);
  EXPECT_EQ(isRunning(fake.Env(), nullptr), JNI_FALSE) << "stopped";

  Control(L"IISADMIN", SERVICE_CONTROL_STOP, SERVICE_STOPPED);
  start(fake.Env(), nullptr);
  EXPECT_TRUE(WaitFor(L"IISADMIN", SERVICE_RUNNING));
  start(fake.Env(), nullptr);  // already running: returns all the same
  EXPECT_EQ(State(L"IISADMIN"), static_cast<DWORD>(SERVICE_RUNNING));

  EXPECT_EQ(installed(fake.Env(), nullptr), JNI_TRUE);
  ASSERT_TRUE(Delete(L"IISADMIN"));
  EXPECT_EQ(installed(fake.Env(), nullptr), JNI_FALSE);
  Create(L"IISADMIN");
  EXPECT_EQ(installed(fake.Env(), nullptr), JNI_TRUE);
}

}  // namespace
