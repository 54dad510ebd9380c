#pragma once

#include <winsim/win32_com.h>

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
  MULTISZ_METADATA,
  INVALID_END_METADATA
};

#define METADATA_NO_ATTRIBUTES 0
#define METADATA_INHERIT 0x00000001
#define METADATA_ISINHERITED 0x00000020

#define MD_BACKUP_OVERWRITE 0x00000001
#define MD_BACKUP_NEXT_VERSION 0xffffffff
#define MD_BACKUP_HIGHEST_VERSION 0xfffffffe
#define MD_BACKUP_MAX_VERSION 9999
#define MD_BACKUP_MAX_LEN (100)

#define MD_ERROR_DATA_NOT_FOUND ((HRESULT)0x800CC801L)

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
#define CLSID_MSAdminBase CLSID_MSAdminBase_W
#define IID_IMSAdminBase IID_IMSAdminBase_W
#define IMSAdminBase IMSAdminBaseW

// The whole interface in its published order, so that the vtable matches.
struct IMSAdminBaseW : public IUnknown {
  virtual HRESULT WINAPI AddKey(METADATA_HANDLE hMDHandle, LPCWSTR pszMDPath) = 0;
  virtual HRESULT WINAPI DeleteKey(METADATA_HANDLE hMDHandle, LPCWSTR pszMDPath) = 0;
  virtual HRESULT WINAPI DeleteChildKeys(METADATA_HANDLE hMDHandle, LPCWSTR pszMDPath) = 0;
  virtual HRESULT WINAPI EnumKeys(METADATA_HANDLE hMDHandle, LPCWSTR pszMDPath, LPWSTR pszMDName,
                                  DWORD dwMDEnumObjectIndex) = 0;
  virtual HRESULT WINAPI CopyKey(METADATA_HANDLE hMDSourceHandle, LPCWSTR pszMDSourcePath,
                                 METADATA_HANDLE hMDDestHandle, LPCWSTR pszMDDestPath, WINBOOL bMDOverwriteFlag,
                                 WINBOOL bMDCopyFlag) = 0;
  virtual HRESULT WINAPI RenameKey(METADATA_HANDLE hMDHandle, LPCWSTR pszMDPath, LPCWSTR pszMDNewName) = 0;
  virtual HRESULT WINAPI SetData(METADATA_HANDLE hMDHandle, LPCWSTR pszMDPath, PMETADATA_RECORD pmdrMDData) = 0;
  virtual HRESULT WINAPI GetData(METADATA_HANDLE hMDHandle, LPCWSTR pszMDPath, PMETADATA_RECORD pmdrMDData,
                                 DWORD* pdwMDRequiredDataLen) = 0;
  virtual HRESULT WINAPI DeleteData(METADATA_HANDLE hMDHandle, LPCWSTR pszMDPath, DWORD dwMDIdentifier,
                                    DWORD dwMDDataType) = 0;
  virtual HRESULT WINAPI EnumData(METADATA_HANDLE hMDHandle, LPCWSTR pszMDPath, PMETADATA_RECORD pmdrMDData,
                                  DWORD dwMDEnumDataIndex, DWORD* pdwMDRequiredDataLen) = 0;
  virtual HRESULT WINAPI GetAllData(METADATA_HANDLE hMDHandle, LPCWSTR pszMDPath, DWORD dwMDAttributes,
                                    DWORD dwMDUserType, DWORD dwMDDataType, DWORD* pdwMDNumDataEntries,
                                    DWORD* pdwMDDataSetNumber, DWORD dwMDBufferSize, unsigned char* pbMDBuffer,
                                    DWORD* pdwMDRequiredBufferSize) = 0;
  virtual HRESULT WINAPI DeleteAllData(METADATA_HANDLE hMDHandle, LPCWSTR pszMDPath, DWORD dwMDUserType,
                                       DWORD dwMDDataType) = 0;
  virtual HRESULT WINAPI CopyData(METADATA_HANDLE hMDSourceHandle, LPCWSTR pszMDSourcePath,
                                  METADATA_HANDLE hMDDestHandle, LPCWSTR pszMDDestPath, DWORD dwMDAttributes,
                                  DWORD dwMDUserType, DWORD dwMDDataType, WINBOOL bMDCopyFlag) = 0;
  virtual HRESULT WINAPI GetDataPaths(METADATA_HANDLE hMDHandle, LPCWSTR pszMDPath, DWORD dwMDIdentifier,
                                      DWORD dwMDDataType, DWORD dwMDBufferSize, WCHAR* pszBuffer,
                                      DWORD* pdwMDRequiredBufferSize) = 0;
  virtual HRESULT WINAPI OpenKey(METADATA_HANDLE hMDHandle, LPCWSTR pszMDPath, DWORD dwMDAccessRequested,
                                 DWORD dwMDTimeOut, PMETADATA_HANDLE phMDNewHandle) = 0;
  virtual HRESULT WINAPI CloseKey(METADATA_HANDLE hMDHandle) = 0;
  virtual HRESULT WINAPI ChangePermissions(METADATA_HANDLE hMDHandle, DWORD dwMDTimeOut, DWORD dwMDAccessRequested) = 0;
  virtual HRESULT WINAPI SaveData(void) = 0;
  virtual HRESULT WINAPI GetHandleInfo(METADATA_HANDLE hMDHandle, PMETADATA_HANDLE_INFO pmdhiInfo) = 0;
  virtual HRESULT WINAPI GetSystemChangeNumber(DWORD* pdwSystemChangeNumber) = 0;
  virtual HRESULT WINAPI GetDataSetNumber(METADATA_HANDLE hMDHandle, LPCWSTR pszMDPath, DWORD* pdwMDDataSetNumber) = 0;
  virtual HRESULT WINAPI SetLastChangeTime(METADATA_HANDLE hMDHandle, LPCWSTR pszMDPath, PFILETIME pftMDLastChangeTime,
                                           WINBOOL bLocalTime) = 0;
  virtual HRESULT WINAPI GetLastChangeTime(METADATA_HANDLE hMDHandle, LPCWSTR pszMDPath, PFILETIME pftMDLastChangeTime,
                                           WINBOOL bLocalTime) = 0;
  virtual HRESULT WINAPI KeyExchangePhase1(void) = 0;
  virtual HRESULT WINAPI KeyExchangePhase2(void) = 0;
  virtual HRESULT WINAPI Backup(LPCWSTR pszMDBackupLocation, DWORD dwMDVersion, DWORD dwMDFlags) = 0;
  virtual HRESULT WINAPI Restore(LPCWSTR pszMDBackupLocation, DWORD dwMDVersion, DWORD dwMDFlags) = 0;
  virtual HRESULT WINAPI EnumBackups(LPWSTR pszMDBackupLocation, DWORD* pdwMDVersion, PFILETIME pftMDBackupTime,
                                     DWORD dwMDEnumIndex) = 0;
  virtual HRESULT WINAPI DeleteBackup(LPCWSTR pszMDBackupLocation, DWORD dwMDVersion) = 0;
  virtual HRESULT WINAPI UnmarshalInterface(IMSAdminBaseW** piadmbwInterface) = 0;
  virtual HRESULT WINAPI GetServerGuid(void) = 0;
};
