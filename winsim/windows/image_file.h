#pragma once

#include <optional>
#include <string>

#include "json.h"

namespace winsim {

// The host image file as the Windows server sees it: it owns only the
// file's "iis" part and leaves everything else as it finds it.
class ImageFile {
 public:
  // An empty path is no file: nothing is read or written.
  explicit ImageFile(std::wstring path) : path_(std::move(path)) {}

  const std::wstring& Path() const { return path_; }
  // The file's bytes; nothing when there is no such file.
  std::optional<std::string> Read() const;
  // Replaces "iis"."part" in the file as it is now (or in `loaded` when the
  // file is gone or no longer an image), under a lock shared by every
  // process, and moves a complete temporary file over it.
  void WriteIisPart(const std::string& part, const Json& value, const Json& loaded) const;

 private:
  std::wstring path_;
};

// UTF-8 of a wide text, for messages and journal fields.
std::string Narrow(const std::wstring& text);

}  // namespace winsim
