#include "journal.h"

#include <fcntl.h>
#include <unistd.h>

namespace winsim {

void Journal::Append(const Json& line) {
  std::string text = line.dump(-1, ' ', false, Json::error_handler_t::replace);
  lines_.push_back(text);
  if (path_.empty()) return;
  text += '\n';
  // One O_APPEND write per line keeps lines whole when processes share the file.
  const int fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) return;
  const ssize_t written = ::write(fd, text.data(), text.size());
  (void)written;
  ::close(fd);
}

}  // namespace winsim
