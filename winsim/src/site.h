#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "codec.h"

namespace winsim {

class MetabaseEngine;

// The image's planned failures, each counting the calls it matches.
class FaultPlan {
 public:
  FaultPlan() = default;
  // Throws std::invalid_argument on a malformed plan.
  explicit FaultPlan(const Json& faults);

  // Every fault that matches counts the call, whether or not it fires.
  std::optional<int64_t> Next(const char* call, std::optional<std::u16string_view> path,
                              std::optional<std::u16string_view> name);

 private:
  struct Fault {
    std::string call;
    int64_t occurrence = 0;
    std::optional<std::u16string> path;
    std::optional<std::u16string> name;
    int64_t status = 0;
    int64_t seen = 0;
  };
  std::vector<Fault> faults_;
};

// What every call reports to, in the Linux host and the Windows test server:
// one lock, held by each call throughout, the faults, journal and COM count.
class Site {
 public:
  class Call;
  virtual ~Site() = default;

  // Writes the metabase as last saved and the backups to the image, now.
  virtual void Persist(Call& call, const MetabaseEngine& metabase) = 0;

 protected:
  Site() = default;
  // Only under the lock (from a Call, or by the owner when nothing else can run).
  void Reset(FaultPlan faults);
  std::mutex mutex_;
  FaultPlan faults_;
  std::string journalFile_;
  bool journalKept_ = false;
  std::vector<std::string> journal_;
  uint64_t generation_ = 1;  // COM references made before a reset no longer count
  int comReferences_ = 0;

 private:
  friend class Call;
  template <typename Interface>
  friend class ComObject;
};

// One platform call: its journal line, built only when someone reads the
// journal, is written as it finishes. Without a name it only holds the lock.
class Site::Call {
 public:
  Call(Site& site, const char* name);
  ~Call();  // NOLINT(bugprone-exception-escape): see its definition

  Site& site;
  std::unique_lock<std::mutex> lock;
  bool Journaling() const { return journaling_; }

  template <typename Value>
  Call& Set(const char* field, Value&& value) {
    if (journaling_) fields_[field] = std::forward<Value>(value);
    return *this;
  }
  template <typename Char>
  Call& Text(const char* field, const Char* text);  // null stays null

  // The planned fault for this call, matched on its `path` or `name`.
  std::optional<int64_t> Fault(std::optional<std::u16string_view> path = std::nullopt,
                               std::optional<std::u16string_view> name = std::nullopt);
  void Finish(Json result, std::optional<uint32_t> lastError = std::nullopt);

 private:
  const char* name_;
  bool journaling_;
  bool fault_ = false;
  bool finished_ = false;
  Json fields_;
};

template <typename Char>
Site::Call& Site::Call::Text(const char* field, const Char* text) {
  if (journaling_) fields_[field] = text ? Json(ToUtf8(std::u16string(FromArgument(text)))) : Json();
  return *this;
}

// Small numbers, given in the order threads first make a call.
int ThreadNumber();

// The platform seam of the image and journal files (paths in UTF-8).
std::optional<std::string> ReadFileText(const std::string& path);
// Under a lock every process shares, via a temporary file: the last whole write wins.
void ReplaceFile(const std::string& path, const std::function<std::string()>& compose);
// One appending write, so that lines stay whole when processes share the file.
void AppendToFile(const std::string& path, const std::string& text);

// `document` with the metabase's saved text and backups put in.
std::string ComposeImage(const Json& document, const MetabaseEngine* metabase);

// Throws std::invalid_argument when keys, or anything else, nest deeper than an
// image may: copying and writing JSON recurse, so this comes before either.
void CheckDepth(const Json& image);

// The image's "timeoutScale", checked.
double TimeoutScale(const Json& image);

}  // namespace winsim
