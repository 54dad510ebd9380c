#pragma once

#include <winsim/win32_metabase.h>

#include <memory>

#include "admin_base_face.h"
#include "com_references.h"
#include "metabase_engine.h"

namespace winsim {

// The IMSAdminBaseW object the class factory hands out, counted among the
// host's COM references.
class AdminBase final : public AdminBaseFace {
 public:
  explicit AdminBase(std::shared_ptr<MetabaseEngine> engine);

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

 private:
  std::shared_ptr<MetabaseEngine> engine_;
  ComReferences references_{"adminBase"};
};

}  // namespace winsim
