#include <windows.h>

#include "windows/library.h"

namespace {

// IISADMIN and W3SVC as real services of the prefix, run by service_stub.exe.
class ServicesTest : public LibraryTest {
 protected:
  static void Create(const wchar_t* name) {
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    SC_HANDLE service = CreateServiceW(
        manager, name, name, SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
        BesideTests(L"service_stub.exe").c_str(), nullptr, nullptr, nullptr, nullptr, nullptr);
    CloseServiceHandle(manager);
    ASSERT_NE(service, nullptr) << "CreateServiceW: " << GetLastError();
    CloseServiceHandle(service);
  }

  // Starts the service (control 0) or sends it the control, then waits up to
  // ten seconds for the state; with remove, deletes it after.
  static bool Reach(const wchar_t* name, DWORD control, DWORD state, bool remove = false) {
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    SC_HANDLE service = OpenServiceW(manager, name, SERVICE_ALL_ACCESS);
    SERVICE_STATUS status = {};
    if (control == 0) StartServiceW(service, 0, nullptr);
    if (control != 0) ControlService(service, control, &status);
    for (int i = 0; i < 200 && QueryServiceStatus(service, &status) && status.dwCurrentState != state; ++i) Sleep(50);
    const bool reached = status.dwCurrentState == state && (!remove || DeleteService(service));
    CloseServiceHandle(service);
    CloseServiceHandle(manager);
    return reached;
  }
};

TEST_F(ServicesTest, MethodsFollowTheRealServices) {
  for (const wchar_t* name : {L"IISADMIN", L"W3SVC"}) Create(name);
  EXPECT_EQ(CALL(jniIsIISWebserverRunning), JNI_FALSE) << "stopped";
  ASSERT_TRUE(Reach(L"W3SVC", 0, SERVICE_RUNNING));
  EXPECT_EQ(CALL(jniIsIISWebserverRunning), JNI_TRUE) << "running";
  CALL(jniStartIISAdminService);
  EXPECT_TRUE(Reach(L"IISADMIN", SERVICE_CONTROL_INTERROGATE, SERVICE_RUNNING));
  EXPECT_EQ(CALL(jniIsIISInstalled), JNI_TRUE);
  for (const wchar_t* name : {L"IISADMIN", L"W3SVC"})
    EXPECT_TRUE(Reach(name, SERVICE_CONTROL_STOP, SERVICE_STOPPED, true));
  EXPECT_EQ(CALL(jniIsIISInstalled), JNI_FALSE) << "a missing service";
}

}  // namespace
