#include "admin_base.h"

namespace winsim {
namespace {

MetadataRecord ToEngine(const METADATA_RECORD& record) {
  return {record.dwMDIdentifier, record.dwMDAttributes, record.dwMDUserType,
          record.dwMDDataType,   record.dwMDDataLen,    record.pbMDData};
}

}  // namespace

AdminBase::AdminBase(std::shared_ptr<MetabaseEngine> engine) : engine_(std::move(engine)) {}

HRESULT AdminBase::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  if (riid != IID_IUnknown && riid != IID_IMSAdminBase_W) {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  *object = static_cast<IMSAdminBaseW*>(this);
  return S_OK;
}

ULONG AdminBase::AddRef() { return references_.Add(); }

ULONG AdminBase::Release() {
  ULONG remaining = 0;
  if (references_.Drop(remaining)) delete this;
  return remaining;
}

HRESULT AdminBase::AddKey(METADATA_HANDLE handle, LPCWSTR path) { return engine_->AddKey(handle, path); }

HRESULT AdminBase::EnumKeys(METADATA_HANDLE handle, LPCWSTR path, LPWSTR name, DWORD index) {
  return engine_->EnumKeys(handle, path, name, index);
}

HRESULT AdminBase::SetData(METADATA_HANDLE handle, LPCWSTR path, PMETADATA_RECORD record) {
  if (!record) return engine_->SetData(handle, path, nullptr);
  const MetadataRecord converted = ToEngine(*record);
  return engine_->SetData(handle, path, &converted);
}

HRESULT AdminBase::GetData(METADATA_HANDLE handle, LPCWSTR path, PMETADATA_RECORD record, DWORD* requiredLength) {
  if (!record) return engine_->GetData(handle, path, nullptr, requiredLength);
  MetadataRecord converted = ToEngine(*record);
  const HRESULT result = engine_->GetData(handle, path, &converted, requiredLength);
  record->dwMDAttributes = converted.attributes;
  record->dwMDUserType = converted.userType;
  record->dwMDDataType = converted.dataType;
  record->dwMDDataLen = converted.dataLength;
  return result;
}

HRESULT AdminBase::OpenKey(METADATA_HANDLE handle, LPCWSTR path, DWORD access, DWORD timeout,
                           PMETADATA_HANDLE newHandle) {
  return engine_->OpenKey(handle, path, access, timeout, newHandle);
}

HRESULT AdminBase::CloseKey(METADATA_HANDLE handle) { return engine_->CloseKey(handle); }

HRESULT AdminBase::SaveData() { return engine_->SaveData(); }

HRESULT AdminBase::Backup(LPCWSTR name, DWORD version, DWORD flags) { return engine_->Backup(name, version, flags); }

HRESULT AdminBase::Restore(LPCWSTR name, DWORD version, DWORD flags) { return engine_->Restore(name, version, flags); }

HRESULT AdminBase::DeleteBackup(LPCWSTR name, DWORD version) { return engine_->DeleteBackup(name, version); }

}  // namespace winsim
