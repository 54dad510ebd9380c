#include "admin_base.h"

namespace winsim {

AdminBase::AdminBase(std::shared_ptr<MetabaseEngine> engine) : AdminBaseFace(*engine), engine_(std::move(engine)) {}

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

}  // namespace winsim
