#pragma once

#include <memory>

#include "server_metabase.h"

namespace winsim {

// The objects the server DLL has handed out. While any of them lives they
// share one metabase; after the last one goes, the next activation loads the
// image afresh, and the DLL may be unloaded.
class ServerObjects {
 public:
  // The metabase of the living objects, or one newly loaded.
  static std::shared_ptr<ServerMetabase> Metabase();

  // Each object counts itself from construction to destruction.
  static void Add();
  static void Remove();
  static void Lock(bool lock);
  static bool CanUnload();
};

}  // namespace winsim
