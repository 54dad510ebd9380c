#include <winsim/win32_messaging.h>

#include "call.h"
#include "text.h"

// No windows exist here, so only a broadcast reaches anyone: it is recorded
// in the image, and nobody answers.
LRESULT WINAPI SendMessageTimeoutW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam, UINT fuFlags, UINT uTimeout,
                                   PDWORD_PTR lpdwResult) {
  winsim::Call call("SendMessageTimeoutW");
  const uint64_t window = reinterpret_cast<uintptr_t>(hWnd);
  // A setting change names its section by a text; other messages carry a number.
  const winsim::Json parameter = Msg == WM_SETTINGCHANGE && lParam != 0
                                     ? winsim::Json(winsim::ToUtf8(reinterpret_cast<const char16_t*>(lParam)))
                                     : winsim::Json(static_cast<int64_t>(lParam));
  call.Field("window", window).Field("message", Msg).Field("wParam", static_cast<uint64_t>(wParam));
  call.Field("lParam", parameter).Field("flags", fuFlags).Field("timeout", uTimeout);
  if (auto fault = call.PlannedFault()) {
    call.FinishWithError(0, static_cast<DWORD>(*fault));
    return 0;
  }
  if (hWnd != HWND_BROADCAST) {
    call.FinishWithError(0, ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  if (lpdwResult) *lpdwResult = 0;
  auto& document = call.host.document;
  if (!document.contains("broadcasts") || !document["broadcasts"].is_array())
    document["broadcasts"] = winsim::Json::array();
  document["broadcasts"].push_back({{"window", window},
                                    {"message", Msg},
                                    {"wParam", static_cast<uint64_t>(wParam)},
                                    {"lParam", parameter},
                                    {"flags", fuFlags},
                                    {"timeout", uTimeout}});
  call.host.WriteImage();
  call.Finish(1);
  return 1;
}
