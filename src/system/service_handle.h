#pragma once

#include "platform.h"

// Owns one service control manager or service handle and closes it on
// destruction. A null handle means nothing was opened and nothing is closed.
class ServiceHandle {
 public:
  explicit ServiceHandle(SC_HANDLE handle) : handle_(handle) {}
  ServiceHandle(const ServiceHandle&) = delete;
  ServiceHandle& operator=(const ServiceHandle&) = delete;
  ~ServiceHandle();

  bool IsValid() const { return handle_ != nullptr; }
  SC_HANDLE Get() const { return handle_; }

 private:
  SC_HANDLE handle_;
};
