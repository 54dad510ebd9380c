#include "system/service_handle.h"

ServiceHandle::~ServiceHandle() {
  if (handle_ != nullptr) CloseServiceHandle(handle_);
}
