#pragma once

#include <winsim/metabase_interface.h>

#include <atomic>
#include <memory>
#include <string>

#include "com_object.h"
#include "metabase.h"

namespace winsim {

// IMSAdminBaseW over the engine; what the library never calls is E_NOTIMPL.
// No C++ exception crosses the interface.
#define NOT_CALLED(Method, ...) \
  HRESULT WINAPI Method(__VA_ARGS__) override { return E_NOTIMPL; }

class AdminBase final : public ComObject<IMSAdminBaseW> {
 public:
  AdminBase(std::shared_ptr<Site> site, std::shared_ptr<MetabaseEngine> engine);

  HRESULT WINAPI AddKey(METADATA_HANDLE handle, LPCWSTR path) override;
  NOT_CALLED(DeleteKey, METADATA_HANDLE, LPCWSTR)
  NOT_CALLED(DeleteChildKeys, METADATA_HANDLE, LPCWSTR)
  HRESULT WINAPI EnumKeys(METADATA_HANDLE handle, LPCWSTR path, LPWSTR name, DWORD index) override;
  NOT_CALLED(CopyKey, METADATA_HANDLE, LPCWSTR, METADATA_HANDLE, LPCWSTR, WINBOOL, WINBOOL)
  NOT_CALLED(RenameKey, METADATA_HANDLE, LPCWSTR, LPCWSTR)
  HRESULT WINAPI SetData(METADATA_HANDLE handle, LPCWSTR path, PMETADATA_RECORD record) override;
  HRESULT WINAPI GetData(METADATA_HANDLE handle, LPCWSTR path, PMETADATA_RECORD record, DWORD* requiredLength) override;
  NOT_CALLED(DeleteData, METADATA_HANDLE, LPCWSTR, DWORD, DWORD)
  NOT_CALLED(EnumData, METADATA_HANDLE, LPCWSTR, PMETADATA_RECORD, DWORD, DWORD*)
  NOT_CALLED(GetAllData, METADATA_HANDLE, LPCWSTR, DWORD, DWORD, DWORD, DWORD*, DWORD*, DWORD, unsigned char*, DWORD*)
  NOT_CALLED(DeleteAllData, METADATA_HANDLE, LPCWSTR, DWORD, DWORD)
  NOT_CALLED(CopyData, METADATA_HANDLE, LPCWSTR, METADATA_HANDLE, LPCWSTR, DWORD, DWORD, DWORD, WINBOOL)
  NOT_CALLED(GetDataPaths, METADATA_HANDLE, LPCWSTR, DWORD, DWORD, DWORD, WCHAR*, DWORD*)
  HRESULT WINAPI OpenKey(METADATA_HANDLE handle, LPCWSTR path, DWORD access, DWORD timeout,
                         PMETADATA_HANDLE opened) override;
  HRESULT WINAPI CloseKey(METADATA_HANDLE handle) override;
  NOT_CALLED(ChangePermissions, METADATA_HANDLE, DWORD, DWORD)
  HRESULT WINAPI SaveData() override;
  NOT_CALLED(GetHandleInfo, METADATA_HANDLE, PMETADATA_HANDLE_INFO)
  NOT_CALLED(GetSystemChangeNumber, DWORD*)
  NOT_CALLED(GetDataSetNumber, METADATA_HANDLE, LPCWSTR, DWORD*)
  NOT_CALLED(SetLastChangeTime, METADATA_HANDLE, LPCWSTR, PFILETIME, WINBOOL)
  NOT_CALLED(GetLastChangeTime, METADATA_HANDLE, LPCWSTR, PFILETIME, WINBOOL)
  NOT_CALLED(KeyExchangePhase1)
  NOT_CALLED(KeyExchangePhase2)
  HRESULT WINAPI Backup(LPCWSTR name, DWORD version, DWORD flags) override;
  HRESULT WINAPI Restore(LPCWSTR name, DWORD version, DWORD flags) override;
  NOT_CALLED(EnumBackups, LPWSTR, DWORD*, PFILETIME, DWORD)
  HRESULT WINAPI DeleteBackup(LPCWSTR name, DWORD version) override;
  NOT_CALLED(UnmarshalInterface, IMSAdminBaseW**)
  NOT_CALLED(GetServerGuid)

 private:
  template <typename Work>
  HRESULT Run(const char* name, Work work);
  const std::shared_ptr<MetabaseEngine> engine_;
};
#undef NOT_CALLED

// Its instances work on the metabase the site had when it was obtained.
class ClassFactory final : public ComObject<IClassFactory> {
 public:
  ClassFactory(std::shared_ptr<Site> site, std::shared_ptr<MetabaseEngine> engine);
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override;
  HRESULT STDMETHODCALLTYPE LockServer(WINBOOL lock) override;
  static std::atomic<long> locks;  // LockServer's, for the Windows server's unloading

 private:
  const std::shared_ptr<MetabaseEngine> engine_;
};

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", as the journal shows GUIDs.
std::string GuidText(REFGUID guid);

}  // namespace winsim
