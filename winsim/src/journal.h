#pragma once

#include <string>
#include <vector>

#include "json.h"

namespace winsim {

// One JSON line per completed call, appended to WINSIM_JOURNAL (when set)
// and kept in memory for the control API.
class Journal {
 public:
  void SetFile(std::string path) { path_ = std::move(path); }
  void Clear() { lines_.clear(); }
  void Append(const Json& line);
  const std::vector<std::string>& Lines() const { return lines_; }

 private:
  std::string path_;
  std::vector<std::string> lines_;
};

}  // namespace winsim
