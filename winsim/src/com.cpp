#include <winsim/win32_metabase.h>

#include "call.h"
#include "class_factory.h"

extern "C" {
const IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID IID_IClassFactory = {0x00000001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const CLSID CLSID_MSAdminBase_W = {0xA9E69610, 0xB80D, 0x11D0, {0xB9, 0xB9, 0x00, 0xA0, 0xC9, 0x22, 0xE7, 0x50}};
const IID IID_IMSAdminBase_W = {0x70B51430, 0xB6CA, 0x11D0, {0xB9, 0xB9, 0x00, 0xA0, 0xC9, 0x22, 0xE7, 0x50}};
}

namespace winsim {
namespace {

// The apartment a thread is in: the image's caller setting until the thread
// initialises COM itself.
std::string& Apartment(Host& host) {
  auto& thread = host.CurrentThread();
  if (thread.comApartment.empty()) {
    thread.comApartment = host.caller.comApartment;
    if (thread.comApartment != "none") thread.comInitializations = 1;
  }
  return thread.comApartment;
}

}  // namespace
}  // namespace winsim

HRESULT CoInitializeEx(LPVOID pvReserved, DWORD dwCoInit) {
  (void)pvReserved;
  winsim::Call call("CoInitializeEx");
  call.Field("coInit", dwCoInit);
  if (auto fault = call.PlannedFault()) {
    call.Finish(*fault);
    return static_cast<HRESULT>(*fault);
  }
  std::string& apartment = winsim::Apartment(call.host);
  const std::string wanted = (dwCoInit & COINIT_APARTMENTTHREADED) ? "STA" : "MTA";
  HRESULT result = S_OK;
  if (apartment == "none") {
    apartment = wanted;
  } else if (apartment != wanted) {
    result = RPC_E_CHANGED_MODE;
  } else {
    result = S_FALSE;
  }
  if (result != RPC_E_CHANGED_MODE) ++call.host.CurrentThread().comInitializations;
  call.Finish(result);
  return result;
}

HRESULT CoGetClassObject(REFCLSID rclsid, DWORD dwClsContext, LPVOID pvReserved, REFIID riid, LPVOID* ppv) {
  (void)pvReserved;
  std::shared_ptr<winsim::MetabaseEngine> engine;
  HRESULT result = S_OK;
  {
    winsim::Call call("CoGetClassObject");
    call.Field("clsid", winsim::GuidText(rclsid)).Field("context", dwClsContext).Field("iid", winsim::GuidText(riid));
    if (auto fault = call.PlannedFault()) {
      result = static_cast<HRESULT>(*fault);
    } else if (!ppv) {
      result = E_POINTER;
    } else if (winsim::Apartment(call.host) == "none") {
      result = CO_E_NOTINITIALIZED;
    } else if (rclsid != CLSID_MSAdminBase_W || !call.host.metabase || !(dwClsContext & CLSCTX_LOCAL_SERVER)) {
      // The real admin base object is an out-of-process server.
      result = REGDB_E_CLASSNOTREG;
    } else if (riid != IID_IClassFactory && riid != IID_IUnknown) {
      result = E_NOINTERFACE;
    } else {
      engine = call.host.metabase;
    }
    if (ppv) *ppv = nullptr;
    call.Finish(result);
  }
  if (result == S_OK) *ppv = static_cast<IClassFactory*>(new winsim::ClassFactory(engine));
  return result;
}
