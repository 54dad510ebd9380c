#include "server_metabase.h"

#include <windows.h>

#include <cstdio>
#include <stdexcept>

#include "stock_image.h"

namespace winsim {
namespace {

// Read through the Win32 environment: a test sets it with
// SetEnvironmentVariableW, which the C runtime's copy never sees.
std::wstring Environment(const wchar_t* name) {
  const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
  if (size == 0) return {};
  std::wstring value(size, L'\0');
  value.resize(GetEnvironmentVariableW(name, value.data(), size));
  return value;
}

double TimeoutScale(const Json& image) {
  const Json scale = image.value("timeoutScale", Json(1.0));
  if (!scale.is_number() || scale.get<double>() < 0)
    throw std::invalid_argument("\"timeoutScale\" is not a number >= 0");
  return scale.get<double>();
}

}  // namespace

ServerMetabase::ServerMetabase() : events_(Environment(L"WINSIM_HOST"), Environment(L"WINSIM_JOURNAL")) {
  const auto text = events_.Image().Read();
  try {
    const Json image = Json::parse(text ? *text : StockImageText());
    if (!image.is_object()) throw std::invalid_argument("the image is not a JSON object");
    if (!image.contains("winsim") || image["winsim"] != 1) throw std::invalid_argument("\"winsim\" is not 1");
    const double scale = TimeoutScale(image);
    events_.Load(image);
    const Json iis = image.contains("iis") ? image["iis"] : Json();
    if (!iis.is_null()) engine_ = std::make_unique<MetabaseEngine>(iis, scale, events_);
  } catch (const std::exception& e) {
    // As on a bare machine: no IIS, and the file is left alone.
    std::fprintf(stderr, "winsim: %s is not a host image (%s); no IIS\n", Narrow(events_.Image().Path()).c_str(),
                 e.what());
    engine_.reset();
  }
}

}  // namespace winsim
