#include "image_file.h"

#include <windows.h>

namespace winsim {
namespace {

// Closes a file handle on every path.
class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  ~FileHandle() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  HANDLE Get() const { return handle_; }
  bool IsValid() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

bool WriteAll(HANDLE file, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    DWORD written = 0;
    if (!WriteFile(file, text.data() + done, static_cast<DWORD>(text.size() - done), &written, nullptr) || !written)
      return false;
    done += written;
  }
  return true;
}

}  // namespace

std::string Narrow(const std::wstring& text) {
  if (text.empty()) return {};
  const int size =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
  return out;
}

std::optional<std::string> ImageFile::Read() const {
  if (path_.empty()) return std::nullopt;
  FileHandle file(CreateFileW(path_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.IsValid()) return std::nullopt;
  std::string text;
  char chunk[65536];
  DWORD read = 0;
  while (ReadFile(file.Get(), chunk, sizeof chunk, &read, nullptr) && read > 0) text.append(chunk, read);
  return text;
}

void ImageFile::WriteIisPart(const std::string& part, const Json& value, const Json& loaded) const {
  if (path_.empty()) return;
  // Held until the new file is in place, so that the last whole write wins.
  FileHandle lock(CreateFileW((path_ + L".lock").c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  OVERLAPPED whole = {};
  const bool locked = lock.IsValid() && LockFileEx(lock.Get(), LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &whole);

  Json image;
  if (const auto text = Read()) image = Json::parse(*text, nullptr, false);
  if (!image.is_object()) image = loaded;
  if (!image["iis"].is_object()) image["iis"] = loaded.value("iis", Json::object());
  image["iis"][part] = value;
  const std::string text = image.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";

  const std::wstring temporary =
      path_ + L".tmp." + std::to_wstring(GetCurrentProcessId()) + L"." + std::to_wstring(GetCurrentThreadId());
  bool written = false;
  {
    FileHandle out(
        CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    written = out.IsValid() && WriteAll(out.Get(), text);
  }
  if (!written || !MoveFileExW(temporary.c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    DeleteFileW(temporary.c_str());
  if (locked) UnlockFileEx(lock.Get(), 0, 1, 0, &whole);
}

}  // namespace winsim
