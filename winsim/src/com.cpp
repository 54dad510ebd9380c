#include "admin_base.h"
#include "host.h"

extern "C" {
const IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID IID_IClassFactory = {0x00000001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const CLSID CLSID_MSAdminBase_W = {0xA9E69610, 0xB80D, 0x11D0, {0xB9, 0xB9, 0x00, 0xA0, 0xC9, 0x22, 0xE7, 0x50}};
const IID IID_IMSAdminBase_W = {0x70B51430, 0xB6CA, 0x11D0, {0xB9, 0xB9, 0x00, 0xA0, 0xC9, 0x22, 0xE7, 0x50}};
}

namespace {

// A thread is in the image caller's apartment until it initialises COM itself.
std::string& Apartment(winsim::Host::Call& call) {
  if (call.thread.comApartment.empty()) call.thread.comApartment = call.state.comApartment;
  return call.thread.comApartment;
}

}  // namespace

HRESULT CoInitializeEx(LPVOID, DWORD dwCoInit) {
  winsim::Host::Call call("CoInitializeEx");
  call.Set("coInit", dwCoInit);
  std::string& apartment = Apartment(call);
  const std::string wanted = (dwCoInit & COINIT_APARTMENTTHREADED) ? "STA" : "MTA";
  HRESULT result = S_OK;
  if (auto fault = call.Fault()) {
    result = static_cast<HRESULT>(*fault);
  } else if (apartment == "none") {
    apartment = wanted;
  } else {
    result = apartment == wanted ? S_FALSE : RPC_E_CHANGED_MODE;
  }
  call.Finish(result);
  return result;
}

HRESULT CoGetClassObject(REFCLSID rclsid, DWORD dwClsContext, LPVOID, REFIID riid, LPVOID* ppv) {
  std::shared_ptr<winsim::MetabaseEngine> engine;
  std::shared_ptr<winsim::Site> site;
  HRESULT result = S_OK;
  {
    winsim::Host::Call call("CoGetClassObject");
    if (call.Journaling())
      call.Set("clsid", winsim::GuidText(rclsid)).Set("context", dwClsContext).Set("iid", winsim::GuidText(riid));
    if (auto fault = call.Fault()) {
      result = static_cast<HRESULT>(*fault);
    } else if (!ppv) {
      result = E_POINTER;
    } else if (Apartment(call) == "none") {
      result = CO_E_NOTINITIALIZED;
    } else if (rclsid != CLSID_MSAdminBase_W || !call.state.metabase || !(dwClsContext & CLSCTX_LOCAL_SERVER)) {
      result = REGDB_E_CLASSNOTREG;  // the real admin base object is an out-of-process server
    } else if (riid != IID_IClassFactory && riid != IID_IUnknown) {
      result = E_NOINTERFACE;
    } else {
      engine = call.state.metabase;
      site = call.site();
    }
    if (ppv) *ppv = nullptr;
    call.Finish(result);
  }
  // Made outside the call: the new object counts itself under the host's lock.
  if (result == S_OK) *ppv = static_cast<IClassFactory*>(new winsim::ClassFactory(site, engine));
  return result;
}
