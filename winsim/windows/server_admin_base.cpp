#include "server_admin_base.h"

#include "server_objects.h"

namespace winsim {

ServerAdminBase::ServerAdminBase(std::shared_ptr<ServerMetabase> metabase)
    : AdminBaseFace(*metabase->Engine()), metabase_(std::move(metabase)) {
  ServerObjects::Add();
}

ServerAdminBase::~ServerAdminBase() { ServerObjects::Remove(); }

HRESULT ServerAdminBase::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IMSAdminBase_W)) {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  *object = static_cast<IMSAdminBaseW*>(this);
  return S_OK;
}

ULONG ServerAdminBase::AddRef() { return ++references_; }

ULONG ServerAdminBase::Release() {
  const ULONG remaining = --references_;
  // A planned fault frees the reference all the same.
  const auto fault = metabase_->Events().PlannedFault("Release", nullptr, nullptr);
  metabase_->Events().Journal("Release", {{"object", "adminBase"}},
                              fault ? static_cast<int32_t>(*fault) : static_cast<int32_t>(remaining),
                              fault.has_value());
  if (remaining == 0) delete this;
  return remaining;
}

}  // namespace winsim
