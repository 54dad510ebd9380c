// The image and journal files on POSIX.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdio>

#include "site.h"

namespace winsim {
namespace {

bool WriteAll(int fd, const std::string& text) {
  for (size_t done = 0; done < text.size();) {
    const ssize_t written = ::write(fd, text.data() + done, text.size() - done);
    if (written <= 0) return false;
    done += static_cast<size_t>(written);
  }
  return true;
}

}  // namespace

std::optional<std::string> ReadFileText(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::string text;
  char chunk[65536];
  for (ssize_t got; (got = ::read(fd, chunk, sizeof chunk)) > 0;) text.append(chunk, static_cast<size_t>(got));
  ::close(fd);
  return text;
}

void ReplaceFile(const std::string& path, const std::function<std::string()>& compose) {
  const int lock = ::open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (lock >= 0) ::flock(lock, LOCK_EX);
  const std::string temporary = path + ".tmp." + std::to_string(::getpid());
  const int out = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  const bool written = out >= 0 && WriteAll(out, compose());
  if (out >= 0) ::close(out);
  if (!written || std::rename(temporary.c_str(), path.c_str()) != 0) std::remove(temporary.c_str());
  if (lock >= 0) ::close(lock);
}

void AppendToFile(const std::string& path, const std::string& text) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) return;
  WriteAll(fd, text);
  ::close(fd);
}

}  // namespace winsim
