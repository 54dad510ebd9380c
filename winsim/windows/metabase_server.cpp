// The metabase engine as an in-process COM server, registered by the Windows
// tests under the admin base class: Wine has no admin base object of its own.
#include <windows.h>

// The one definition of the admin base GUIDs in the server.
#include <initguid.h>

#include <iadmw.h>

#include <new>

#include "server_class_factory.h"
#include "server_objects.h"

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (!IsEqualCLSID(clsid, CLSID_MSAdminBase_W)) return CLASS_E_CLASSNOTAVAILABLE;
  if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IClassFactory)) return E_NOINTERFACE;
  try {
    auto metabase = winsim::ServerObjects::Metabase();
    // An image without IIS: the class is as good as unregistered.
    if (!metabase->Engine()) return REGDB_E_CLASSNOTREG;
    *object = static_cast<IClassFactory*>(new winsim::ServerClassFactory(std::move(metabase)));
    return S_OK;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

STDAPI DllCanUnloadNow() { return winsim::ServerObjects::CanUnload() ? S_OK : S_FALSE; }
