#include "server_class_factory.h"

#include <iadmw.h>

#include <new>

#include "server_admin_base.h"
#include "server_objects.h"

namespace winsim {
namespace {

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", as the journal shows GUIDs.
std::string GuidText(REFGUID guid) {
  wchar_t text[40] = {};
  StringFromGUID2(guid, text, 40);
  return Narrow(text);
}

}  // namespace

ServerClassFactory::ServerClassFactory(std::shared_ptr<ServerMetabase> metabase) : metabase_(std::move(metabase)) {
  ServerObjects::Add();
}

ServerClassFactory::~ServerClassFactory() { ServerObjects::Remove(); }

HRESULT ServerClassFactory::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IClassFactory)) {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  *object = static_cast<IClassFactory*>(this);
  return S_OK;
}

ULONG ServerClassFactory::AddRef() { return ++references_; }

ULONG ServerClassFactory::Release() {
  const ULONG remaining = --references_;
  const auto fault = metabase_->Events().PlannedFault("Release", nullptr, nullptr);
  metabase_->Events().Journal("Release", {{"object", "classFactory"}},
                              fault ? static_cast<int32_t>(*fault) : static_cast<int32_t>(remaining),
                              fault.has_value());
  if (remaining == 0) delete this;
  return remaining;
}

HRESULT ServerClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** object) {
  HRESULT result = S_OK;
  const auto fault = metabase_->Events().PlannedFault("CreateInstance", nullptr, nullptr);
  if (fault) {
    result = static_cast<HRESULT>(*fault);
  } else if (!object) {
    result = E_POINTER;
  } else if (outer) {
    result = CLASS_E_NOAGGREGATION;
  } else if (!IsEqualIID(riid, IID_IMSAdminBase_W) && !IsEqualIID(riid, IID_IUnknown)) {
    result = E_NOINTERFACE;
  }
  if (object) *object = nullptr;
  if (result == S_OK) {
    IMSAdminBaseW* made = new (std::nothrow) ServerAdminBase(metabase_);
    if (made) {
      *object = made;
    } else {
      result = E_OUTOFMEMORY;
    }
  }
  metabase_->Events().Journal("CreateInstance", {{"iid", GuidText(riid)}}, result, fault.has_value());
  return result;
}

HRESULT ServerClassFactory::LockServer(WINBOOL lock) {
  ServerObjects::Lock(lock != FALSE);
  return S_OK;
}

}  // namespace winsim
