// The stand-in for <windows.h> and the IIS admin headers: the same names and shapes.
#pragma once

#include <cstdint>
#include <cstring>

// Win32's declarations as its headers write them: typedefs, tag names with a
// leading underscore, and COM interfaces, whose vtables have no destructor.
// NOLINTBEGIN(modernize-use-using, bugprone-reserved-identifier, cppcoreguidelines-virtual-class-destructor)

#define WINSIM_API __attribute__((visibility("default")))
#define WINAPI
#define STDMETHODCALLTYPE
#define CONST const

typedef uint8_t BYTE;
typedef uint32_t DWORD;
typedef uint32_t ULONG;
typedef uint32_t UINT;
typedef int32_t LONG;
typedef int32_t HRESULT;
typedef int BOOL;
typedef char16_t WCHAR;
typedef WCHAR* LPWSTR;
typedef const WCHAR* LPCWSTR;
typedef BYTE* LPBYTE;
typedef void* LPVOID;
typedef DWORD* LPDWORD;
typedef uintptr_t ULONG_PTR;
typedef uintptr_t DWORD_PTR;
typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;
typedef intptr_t LRESULT;
typedef DWORD ACCESS_MASK;
typedef ACCESS_MASK REGSAM;

#define TRUE 1
#define FALSE 0

#define TEXT(quote) u##quote

// Statuses from mingw-w64's public-domain winerror.h, 32 bits wide as on Windows.
#define __MSABI_LONG(x) ((LONG)(x))
#include <winerror.h>

#define GENERIC_READ 0x80000000UL
#define GENERIC_WRITE 0x40000000UL
#define GENERIC_ALL 0x10000000UL
#define READ_CONTROL 0x00020000UL

WINSIM_API DWORD GetLastError();
WINSIM_API void SetLastError(DWORD error);

typedef int WINBOOL;

typedef struct _GUID {
  uint32_t Data1;
  unsigned short Data2;
  unsigned short Data3;
  unsigned char Data4[8];
} GUID;
typedef GUID IID;
typedef GUID CLSID;
#define REFGUID const GUID&
#define REFIID const IID&
#define REFCLSID const IID&

inline int IsEqualGUID(REFGUID a, REFGUID b) { return std::memcmp(&a, &b, sizeof(GUID)) == 0; }
#define IsEqualIID(a, b) IsEqualGUID(a, b)
inline bool operator==(REFGUID a, REFGUID b) { return IsEqualGUID(a, b) != 0; }
inline bool operator!=(REFGUID a, REFGUID b) { return !(a == b); }

typedef struct _FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
} FILETIME, *PFILETIME;

typedef enum tagCOINIT { COINIT_MULTITHREADED = 0x0, COINIT_APARTMENTTHREADED = 0x2 } COINIT;
typedef enum tagCLSCTX { CLSCTX_INPROC_SERVER = 0x1, CLSCTX_LOCAL_SERVER = 0x4, CLSCTX_REMOTE_SERVER = 0x10 } CLSCTX;
#define CLSCTX_SERVER (CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER)

extern "C" WINSIM_API const IID IID_IUnknown;
extern "C" WINSIM_API const IID IID_IClassFactory;

struct IUnknown {
  virtual HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObject) = 0;
  virtual ULONG STDMETHODCALLTYPE AddRef() = 0;
  virtual ULONG STDMETHODCALLTYPE Release() = 0;
};

struct IClassFactory : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppvObject) = 0;
  virtual HRESULT STDMETHODCALLTYPE LockServer(WINBOOL fLock) = 0;
};

WINSIM_API HRESULT CoInitializeEx(LPVOID, DWORD);
WINSIM_API HRESULT CoGetClassObject(REFCLSID, DWORD, LPVOID, REFIID, LPVOID*);

#define METADATA_MAX_NAME_LEN 256
#define METADATA_PERMISSION_READ 0x00000001
#define METADATA_PERMISSION_WRITE 0x00000002
#define METADATA_MASTER_ROOT_HANDLE 0

enum METADATATYPES {
  ALL_METADATA = 0,
  DWORD_METADATA,
  STRING_METADATA,
  BINARY_METADATA,
  EXPANDSZ_METADATA,
  MULTISZ_METADATA
};

#define METADATA_NO_ATTRIBUTES 0
#define METADATA_INHERIT 0x00000001
#define METADATA_ISINHERITED 0x00000020

#define MD_BACKUP_OVERWRITE 0x00000001
#define MD_BACKUP_NEXT_VERSION 0xffffffff
#define MD_BACKUP_HIGHEST_VERSION 0xfffffffe
#define MD_BACKUP_MAX_VERSION 9999
#define MD_BACKUP_MAX_LEN (100)

#include <mdmsg.h>

typedef DWORD METADATA_HANDLE;
typedef DWORD* PMETADATA_HANDLE;

typedef struct _METADATA_RECORD {
  DWORD dwMDIdentifier;
  DWORD dwMDAttributes;
  DWORD dwMDUserType;
  DWORD dwMDDataType;
  DWORD dwMDDataLen;
  unsigned char* pbMDData;
  DWORD dwMDDataTag;
} METADATA_RECORD;
typedef struct _METADATA_RECORD* PMETADATA_RECORD;

typedef struct _METADATA_HANDLE_INFO {
  DWORD dwMDPermissions;
  DWORD dwMDSystemChangeNumber;
} METADATA_HANDLE_INFO;
typedef struct _METADATA_HANDLE_INFO* PMETADATA_HANDLE_INFO;

// User types, property identifiers and their flags.
#include <iiscnfg.h>

extern "C" WINSIM_API const CLSID CLSID_MSAdminBase_W;
extern "C" WINSIM_API const IID IID_IMSAdminBase_W;
#define IMSAdminBase IMSAdminBaseW

// The whole interface in its published order, so that the vtable matches.
struct IMSAdminBaseW : public IUnknown {
  virtual HRESULT WINAPI AddKey(METADATA_HANDLE, LPCWSTR) = 0;
  virtual HRESULT WINAPI DeleteKey(METADATA_HANDLE, LPCWSTR) = 0;
  virtual HRESULT WINAPI DeleteChildKeys(METADATA_HANDLE, LPCWSTR) = 0;
  virtual HRESULT WINAPI EnumKeys(METADATA_HANDLE, LPCWSTR, LPWSTR, DWORD) = 0;
  virtual HRESULT WINAPI CopyKey(METADATA_HANDLE, LPCWSTR, METADATA_HANDLE, LPCWSTR, WINBOOL, WINBOOL) = 0;
  virtual HRESULT WINAPI RenameKey(METADATA_HANDLE, LPCWSTR, LPCWSTR) = 0;
  virtual HRESULT WINAPI SetData(METADATA_HANDLE, LPCWSTR, PMETADATA_RECORD) = 0;
  virtual HRESULT WINAPI GetData(METADATA_HANDLE, LPCWSTR, PMETADATA_RECORD, DWORD*) = 0;
  virtual HRESULT WINAPI DeleteData(METADATA_HANDLE, LPCWSTR, DWORD, DWORD) = 0;
  virtual HRESULT WINAPI EnumData(METADATA_HANDLE, LPCWSTR, PMETADATA_RECORD, DWORD, DWORD*) = 0;
  virtual HRESULT WINAPI GetAllData(METADATA_HANDLE, LPCWSTR, DWORD, DWORD, DWORD, DWORD*, DWORD*, DWORD,
                                    unsigned char*, DWORD*) = 0;
  virtual HRESULT WINAPI DeleteAllData(METADATA_HANDLE, LPCWSTR, DWORD, DWORD) = 0;
  virtual HRESULT WINAPI CopyData(METADATA_HANDLE, LPCWSTR, METADATA_HANDLE, LPCWSTR, DWORD, DWORD, DWORD, WINBOOL) = 0;
  virtual HRESULT WINAPI GetDataPaths(METADATA_HANDLE, LPCWSTR, DWORD, DWORD, DWORD, WCHAR*, DWORD*) = 0;
  virtual HRESULT WINAPI OpenKey(METADATA_HANDLE, LPCWSTR, DWORD, DWORD, PMETADATA_HANDLE) = 0;
  virtual HRESULT WINAPI CloseKey(METADATA_HANDLE) = 0;
  virtual HRESULT WINAPI ChangePermissions(METADATA_HANDLE, DWORD, DWORD) = 0;
  virtual HRESULT WINAPI SaveData() = 0;
  virtual HRESULT WINAPI GetHandleInfo(METADATA_HANDLE, PMETADATA_HANDLE_INFO) = 0;
  virtual HRESULT WINAPI GetSystemChangeNumber(DWORD*) = 0;
  virtual HRESULT WINAPI GetDataSetNumber(METADATA_HANDLE, LPCWSTR, DWORD*) = 0;
  virtual HRESULT WINAPI SetLastChangeTime(METADATA_HANDLE, LPCWSTR, PFILETIME, WINBOOL) = 0;
  virtual HRESULT WINAPI GetLastChangeTime(METADATA_HANDLE, LPCWSTR, PFILETIME, WINBOOL) = 0;
  virtual HRESULT WINAPI KeyExchangePhase1() = 0;
  virtual HRESULT WINAPI KeyExchangePhase2() = 0;
  virtual HRESULT WINAPI Backup(LPCWSTR, DWORD, DWORD) = 0;
  virtual HRESULT WINAPI Restore(LPCWSTR, DWORD, DWORD) = 0;
  virtual HRESULT WINAPI EnumBackups(LPWSTR, DWORD*, PFILETIME, DWORD) = 0;
  virtual HRESULT WINAPI DeleteBackup(LPCWSTR, DWORD) = 0;
  virtual HRESULT WINAPI UnmarshalInterface(IMSAdminBaseW**) = 0;
  virtual HRESULT WINAPI GetServerGuid() = 0;
};

typedef struct HKEY__* HKEY;
typedef HKEY* PHKEY;
typedef LONG LSTATUS;

typedef struct _SECURITY_ATTRIBUTES {
  DWORD nLength;
  LPVOID lpSecurityDescriptor;
  BOOL bInheritHandle;
} SECURITY_ATTRIBUTES, *LPSECURITY_ATTRIBUTES;

#define HKEY_LOCAL_MACHINE ((HKEY)(ULONG_PTR)0x80000002)

#define DELETE 0x00010000UL
#define WRITE_DAC 0x00040000UL
#define WRITE_OWNER 0x00080000UL

#define KEY_QUERY_VALUE (0x0001)
#define KEY_SET_VALUE (0x0002)
#define KEY_CREATE_SUB_KEY (0x0004)
#define KEY_CREATE_LINK (0x0020)
#define KEY_READ (0x20019)
#define KEY_WRITE (0x20006)
#define KEY_ALL_ACCESS (0xF003F)

#define REG_OPTION_NON_VOLATILE (0x00000000L)
#define REG_CREATED_NEW_KEY (0x00000001L)
#define REG_OPENED_EXISTING_KEY (0x00000002L)

#define REG_SZ (1)
#define REG_EXPAND_SZ (2)
#define REG_BINARY (3)
#define REG_DWORD (4)
#define REG_MULTI_SZ (7)
#define REG_QWORD (11)

WINSIM_API LONG WINAPI RegOpenKeyExW(HKEY, LPCWSTR, DWORD, REGSAM, PHKEY);
WINSIM_API LONG WINAPI RegCreateKeyExW(HKEY, LPCWSTR, DWORD, LPWSTR, DWORD, REGSAM, LPSECURITY_ATTRIBUTES, PHKEY,
                                       LPDWORD);
WINSIM_API LONG WINAPI RegQueryValueExW(HKEY, LPCWSTR, LPDWORD, LPDWORD, LPBYTE, LPDWORD);
WINSIM_API LONG WINAPI RegSetValueExW(HKEY, LPCWSTR, DWORD, DWORD, CONST BYTE*, DWORD);
WINSIM_API LONG WINAPI RegDeleteKeyW(HKEY, LPCWSTR);
WINSIM_API LONG WINAPI RegCloseKey(HKEY);

typedef struct SC_HANDLE__* SC_HANDLE;

typedef struct _SERVICE_STATUS_PROCESS {
  DWORD dwServiceType;
  DWORD dwCurrentState;
  DWORD dwControlsAccepted;
  DWORD dwWin32ExitCode;
  DWORD dwServiceSpecificExitCode;
  DWORD dwCheckPoint;
  DWORD dwWaitHint;
  DWORD dwProcessId;
  DWORD dwServiceFlags;
} SERVICE_STATUS_PROCESS, *LPSERVICE_STATUS_PROCESS;

typedef enum _SC_STATUS_TYPE { SC_STATUS_PROCESS_INFO = 0 } SC_STATUS_TYPE;

#define SC_MANAGER_CONNECT 0x0001
#define SC_MANAGER_ENUMERATE_SERVICE 0x0004
#define SC_MANAGER_QUERY_LOCK_STATUS 0x0010
#define SC_MANAGER_ALL_ACCESS 0xF003F

#define SERVICE_QUERY_CONFIG 0x0001
#define SERVICE_QUERY_STATUS 0x0004
#define SERVICE_ENUMERATE_DEPENDENTS 0x0008
#define SERVICE_START 0x0010
#define SERVICE_INTERROGATE 0x0080
#define SERVICE_USER_DEFINED_CONTROL 0x0100
#define SERVICE_ALL_ACCESS 0xF01FF

#define SERVICE_STOPPED 0x1
#define SERVICE_RUNNING 0x4
#define SERVICE_PAUSED 0x7

#define SERVICE_DISABLED 0x4

WINSIM_API SC_HANDLE OpenSCManagerW(LPCWSTR, LPCWSTR, DWORD);
WINSIM_API SC_HANDLE OpenServiceW(SC_HANDLE, LPCWSTR, DWORD);
WINSIM_API BOOL QueryServiceStatusEx(SC_HANDLE, SC_STATUS_TYPE, LPBYTE, DWORD, LPDWORD);
WINSIM_API BOOL StartServiceW(SC_HANDLE, DWORD, LPCWSTR*);
WINSIM_API BOOL CloseServiceHandle(SC_HANDLE);

typedef struct HWND__* HWND;
typedef DWORD_PTR* PDWORD_PTR;

#define HWND_BROADCAST ((HWND)0xffff)
#define WM_WININICHANGE 0x001A
#define WM_SETTINGCHANGE WM_WININICHANGE

#define SMTO_ABORTIFHUNG 0x0002

WINSIM_API LRESULT WINAPI SendMessageTimeoutW(HWND, UINT, WPARAM, LPARAM, UINT, UINT, PDWORD_PTR);

// The ISAPI filter notification flags, as the HTTP filter header names them.
#define SF_NOTIFY_SECURE_PORT 0x00000001
#define SF_NOTIFY_NONSECURE_PORT 0x00000002
#define SF_NOTIFY_AUTHENTICATION 0x00002000
#define SF_NOTIFY_PREPROC_HEADERS 0x00004000
#define SF_NOTIFY_ORDER_HIGH 0x00080000
#define SF_NOTIFY_AUTH_COMPLETE 0x04000000
// NOLINTEND(modernize-use-using, bugprone-reserved-identifier, cppcoreguidelines-virtual-class-destructor)
