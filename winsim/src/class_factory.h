#pragma once

#include <winsim/win32_metabase.h>

#include <memory>

#include "com_references.h"
#include "metabase_engine.h"

namespace winsim {

// The admin base object's class factory; each instance it creates works on
// the metabase the host had when the factory was obtained.
class ClassFactory final : public IClassFactory {
 public:
  explicit ClassFactory(std::shared_ptr<MetabaseEngine> engine);

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override;
  HRESULT STDMETHODCALLTYPE LockServer(WINBOOL) override { return S_OK; }

 private:
  std::shared_ptr<MetabaseEngine> engine_;
  ComReferences references_{"classFactory"};
};

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", as the journal shows GUIDs.
std::string GuidText(REFGUID guid);

}  // namespace winsim
