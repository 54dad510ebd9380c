#include "class_factory.h"

#include <cstdio>

#include "admin_base.h"
#include "call.h"

namespace winsim {

std::string GuidText(REFGUID guid) {
  char text[40];
  std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", guid.Data1, guid.Data2,
                guid.Data3, guid.Data4[0], guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5],
                guid.Data4[6], guid.Data4[7]);
  return text;
}

ClassFactory::ClassFactory(std::shared_ptr<MetabaseEngine> engine) : engine_(std::move(engine)) {}

HRESULT ClassFactory::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  if (riid != IID_IUnknown && riid != IID_IClassFactory) {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  *object = static_cast<IClassFactory*>(this);
  return S_OK;
}

ULONG ClassFactory::AddRef() { return references_.Add(); }

ULONG ClassFactory::Release() {
  ULONG remaining = 0;
  if (references_.Drop(remaining)) delete this;
  return remaining;
}

HRESULT ClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** object) {
  HRESULT result = S_OK;
  {
    Call call("CreateInstance");
    call.Field("iid", GuidText(riid));
    if (auto fault = call.PlannedFault()) {
      result = static_cast<HRESULT>(*fault);
    } else if (!object) {
      result = E_POINTER;
    } else if (outer) {
      result = CLASS_E_NOAGGREGATION;
    } else if (riid != IID_IMSAdminBase_W && riid != IID_IUnknown) {
      result = E_NOINTERFACE;
    }
    if (object) *object = nullptr;
    call.Finish(result);
  }
  // Made outside the call: the new object counts itself against the host.
  if (result == S_OK) *object = static_cast<IMSAdminBaseW*>(new AdminBase(engine_));
  return result;
}

}  // namespace winsim
