#pragma once

#include <windows.h>

#include <atomic>
#include <memory>

#include "server_metabase.h"

namespace winsim {

// The admin base object's class factory, as DllGetClassObject hands it out.
class ServerClassFactory final : public IClassFactory {
 public:
  explicit ServerClassFactory(std::shared_ptr<ServerMetabase> metabase);
  ~ServerClassFactory();
  ServerClassFactory(const ServerClassFactory&) = delete;
  ServerClassFactory& operator=(const ServerClassFactory&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override;
  HRESULT STDMETHODCALLTYPE LockServer(WINBOOL lock) override;

 private:
  std::shared_ptr<ServerMetabase> metabase_;
  std::atomic<ULONG> references_{1};
};

}  // namespace winsim
