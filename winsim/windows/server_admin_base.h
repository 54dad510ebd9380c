#pragma once

#include <iadmw.h>
#include <windows.h>

#include <atomic>
#include <memory>

#include "admin_base_face.h"
#include "server_metabase.h"

namespace winsim {

// The IMSAdminBaseW object of the Windows server; it keeps the loaded
// metabase alive and journals its own Release.
class ServerAdminBase final : public AdminBaseFace {
 public:
  explicit ServerAdminBase(std::shared_ptr<ServerMetabase> metabase);
  ~ServerAdminBase();
  ServerAdminBase(const ServerAdminBase&) = delete;
  ServerAdminBase& operator=(const ServerAdminBase&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

 private:
  std::shared_ptr<ServerMetabase> metabase_;
  std::atomic<ULONG> references_{1};
};

}  // namespace winsim
