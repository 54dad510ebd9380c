#include <winsim/control.h>

#include "host.h"
#include "stock_image.h"

namespace winsim {

void ResetHost(const std::string& image) {
  Json parsed;
  try {
    parsed = Json::parse(image);
  } catch (const Json::parse_error& e) {
    throw std::invalid_argument(e.what());
  }
  Host::Instance().Reset(parsed);
}

void ResetHostToStock() {
  static const Json stock = Json::parse(StockImageText());
  Host::Instance().Reset(stock);
}

void ResetHostFromFile(const std::string& path) { Host::Instance().ResetFromFile(path); }

void KeepJournal(bool keep) { Host::Instance().KeepJournal(keep); }

std::string StockImage() { return StockImageText(); }

std::string HostImage() { return Host::Instance().ImageText(); }

std::vector<std::string> JournalLines() { return Host::Instance().JournalLines(); }

OpenResources CountOpenResources() { return Host::Instance().Count(); }

}  // namespace winsim
