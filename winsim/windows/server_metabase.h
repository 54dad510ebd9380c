#pragma once

#include <memory>

#include "metabase_engine.h"
#include "server_events.h"

namespace winsim {

// One metabase as the server loads it: the "iis" part of the image named by
// WINSIM_HOST (the stock image when that is unset, or names no file yet), its
// fault plan, and the journal named by WINSIM_JOURNAL.
class ServerMetabase {
 public:
  ServerMetabase();
  ServerMetabase(const ServerMetabase&) = delete;
  ServerMetabase& operator=(const ServerMetabase&) = delete;

  // Null when the image has no IIS or is not an image at all.
  MetabaseEngine* Engine() { return engine_.get(); }
  ServerEvents& Events() { return events_; }

 private:
  ServerEvents events_;
  std::unique_ptr<MetabaseEngine> engine_;
};

}  // namespace winsim
