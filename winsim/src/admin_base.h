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
class AdminBase final : public ComObject<IMSAdminBaseW> {
 public:
  AdminBase(std::shared_ptr<Site> site, std::shared_ptr<MetabaseEngine> engine);

  HRESULT WINAPI AddKey(METADATA_HANDLE handle, LPCWSTR path) override;
  HRESULT WINAPI DeleteKey(METADATA_HANDLE, LPCWSTR) override { return E_NOTIMPL; }
  HRESULT WINAPI DeleteChildKeys(METADATA_HANDLE, LPCWSTR) override { return E_NOTIMPL; }
  HRESULT WINAPI EnumKeys(METADATA_HANDLE handle, LPCWSTR path, LPWSTR name, DWORD index) override;
  HRESULT WINAPI CopyKey(METADATA_HANDLE, LPCWSTR, METADATA_HANDLE, LPCWSTR, WINBOOL, WINBOOL) override {
    return E_NOTIMPL;
  }
  HRESULT WINAPI RenameKey(METADATA_HANDLE, LPCWSTR, LPCWSTR) override { return E_NOTIMPL; }
  HRESULT WINAPI SetData(METADATA_HANDLE handle, LPCWSTR path, PMETADATA_RECORD record) override;
  HRESULT WINAPI GetData(METADATA_HANDLE handle, LPCWSTR path, PMETADATA_RECORD record, DWORD* requiredLength) override;
  HRESULT WINAPI DeleteData(METADATA_HANDLE, LPCWSTR, DWORD, DWORD) override { return E_NOTIMPL; }
  HRESULT WINAPI EnumData(METADATA_HANDLE, LPCWSTR, PMETADATA_RECORD, DWORD, DWORD*) override { return E_NOTIMPL; }
  HRESULT WINAPI GetAllData(METADATA_HANDLE, LPCWSTR, DWORD, DWORD, DWORD, DWORD*, DWORD*, DWORD, unsigned char*,
                            DWORD*) override {
    return E_NOTIMPL;
  }
  HRESULT WINAPI DeleteAllData(METADATA_HANDLE, LPCWSTR, DWORD, DWORD) override { return E_NOTIMPL; }
  HRESULT WINAPI CopyData(METADATA_HANDLE, LPCWSTR, METADATA_HANDLE, LPCWSTR, DWORD, DWORD, DWORD, WINBOOL) override {
    return E_NOTIMPL;
  }
  HRESULT WINAPI GetDataPaths(METADATA_HANDLE, LPCWSTR, DWORD, DWORD, DWORD, WCHAR*, DWORD*) override {
    return E_NOTIMPL;
  }
  HRESULT WINAPI OpenKey(METADATA_HANDLE handle, LPCWSTR path, DWORD access, DWORD timeout,
                         PMETADATA_HANDLE newHandle) override;
  HRESULT WINAPI CloseKey(METADATA_HANDLE handle) override;
  HRESULT WINAPI ChangePermissions(METADATA_HANDLE, DWORD, DWORD) override { return E_NOTIMPL; }
  HRESULT WINAPI SaveData() override;
  HRESULT WINAPI GetHandleInfo(METADATA_HANDLE, PMETADATA_HANDLE_INFO) override { return E_NOTIMPL; }
  HRESULT WINAPI GetSystemChangeNumber(DWORD*) override { return E_NOTIMPL; }
  HRESULT WINAPI GetDataSetNumber(METADATA_HANDLE, LPCWSTR, DWORD*) override { return E_NOTIMPL; }
  HRESULT WINAPI SetLastChangeTime(METADATA_HANDLE, LPCWSTR, PFILETIME, WINBOOL) override { return E_NOTIMPL; }
  HRESULT WINAPI GetLastChangeTime(METADATA_HANDLE, LPCWSTR, PFILETIME, WINBOOL) override { return E_NOTIMPL; }
  HRESULT WINAPI KeyExchangePhase1() override { return E_NOTIMPL; }
  HRESULT WINAPI KeyExchangePhase2() override { return E_NOTIMPL; }
  HRESULT WINAPI Backup(LPCWSTR name, DWORD version, DWORD flags) override;
  HRESULT WINAPI Restore(LPCWSTR name, DWORD version, DWORD flags) override;
  HRESULT WINAPI EnumBackups(LPWSTR, DWORD*, PFILETIME, DWORD) override { return E_NOTIMPL; }
  HRESULT WINAPI DeleteBackup(LPCWSTR name, DWORD version) override;
  HRESULT WINAPI UnmarshalInterface(IMSAdminBaseW**) override { return E_NOTIMPL; }
  HRESULT WINAPI GetServerGuid() override { return E_NOTIMPL; }

 private:
  template <typename Work>
  HRESULT Run(const char* name, Work work);
  const std::shared_ptr<MetabaseEngine> engine_;
};

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
