#pragma once

#include <mutex>
#include <string>

#include "faults.h"
#include "image_file.h"
#include "metabase_events.h"

namespace winsim {

// The Windows server's side of the metabase engine: the image's fault plan,
// the journal file and the image file's "iis" part.
class ServerEvents : public MetabaseEvents {
 public:
  ServerEvents(std::wstring imagePath, std::wstring journalPath);

  // The image as loaded: its faults are planned, and it stands in for the
  // file when the file is gone at a write. Throws std::invalid_argument.
  void Load(const Json& image);

  std::optional<int64_t> PlannedFault(const std::string& call, const std::u16string* path,
                                      const std::u16string* name) override;
  void Journal(const std::string& call, Json fields, int32_t result, bool fault) override;
  void Persist(const std::string& part, Json value) override;

  const ImageFile& Image() const { return image_; }

 private:
  std::mutex mutex_;
  FaultPlan faults_;
  Json loaded_;
  ImageFile image_;
  std::wstring journalPath_;
};

}  // namespace winsim
