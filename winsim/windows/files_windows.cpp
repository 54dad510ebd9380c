// The image and journal files on Windows.
#include <windows.h>

#include "site.h"

namespace winsim {
namespace {

std::wstring Wide(const std::string& text) {
  const std::u16string wide = ToUtf16(text);
  return std::wstring(wide.begin(), wide.end());
}

// Closes a file handle on every path.
class File {
 public:
  File(const std::wstring& path, DWORD access, DWORD share, DWORD disposition)
      : handle_(CreateFileW(path.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  ~File() {
    if (*this) CloseHandle(handle_);
  }
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  explicit operator bool() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return handle_; }

  bool Write(const std::string& text) const {
    for (size_t done = 0; done < text.size();) {
      DWORD written = 0;
      if (!WriteFile(handle_, text.data() + done, static_cast<DWORD>(text.size() - done), &written, nullptr) ||
          !written)
        return false;
      done += written;
    }
    return true;
  }

 private:
  HANDLE handle_;
};

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

}  // namespace

std::optional<std::string> ReadFileText(const std::string& path) {
  File file(Wide(path), GENERIC_READ, kShareAll, OPEN_EXISTING);
  if (path.empty() || !file) return std::nullopt;
  std::string text;
  char chunk[65536];
  DWORD read = 0;
  while (ReadFile(file.Get(), chunk, sizeof chunk, &read, nullptr) && read > 0) text.append(chunk, read);
  return text;
}

void ReplaceFile(const std::string& path, const std::function<std::string()>& compose) {
  const std::wstring target = Wide(path);
  File lock(target + L".lock", GENERIC_READ | GENERIC_WRITE, kShareAll, OPEN_ALWAYS);
  OVERLAPPED whole = {};
  const bool locked = lock && LockFileEx(lock.Get(), LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &whole);
  const std::wstring temporary =
      target + L".tmp." + std::to_wstring(GetCurrentProcessId()) + L"." + std::to_wstring(GetCurrentThreadId());
  bool written = false;
  {
    File out(temporary, GENERIC_WRITE, 0, CREATE_ALWAYS);
    written = out && out.Write(compose());
  }
  if (!written || !MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    DeleteFileW(temporary.c_str());
  if (locked) UnlockFileEx(lock.Get(), 0, 1, 0, &whole);
}

void AppendToFile(const std::string& path, const std::string& text) {
  File file(Wide(path), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_ALWAYS);
  if (file) file.Write(text);
}

}  // namespace winsim
