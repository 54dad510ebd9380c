#include "host.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace winsim {
namespace {

const char* Env(const char* name) {
  const char* value = std::getenv(name);
  return (value && *value) ? value : nullptr;
}

Caller ParseCaller(const Json& caller) {
  Caller parsed;
  if (caller.is_null()) return parsed;
  if (!caller.is_object()) throw std::invalid_argument("\"caller\" is not an object");
  if (caller.contains("administrator")) {
    if (!caller["administrator"].is_boolean())
      throw std::invalid_argument("\"caller.administrator\" is not true or false");
    parsed.administrator = caller["administrator"].get<bool>();
  }
  if (caller.contains("comApartment")) {
    const Json& apartment = caller["comApartment"];
    if (!apartment.is_string() || (apartment != "none" && apartment != "STA" && apartment != "MTA"))
      throw std::invalid_argument("\"caller.comApartment\" is not \"none\", \"STA\" or \"MTA\"");
    parsed.comApartment = apartment.get<std::string>();
  }
  return parsed;
}

Json Section(const Json& image, const char* name) { return image.contains(name) ? image[name] : Json(); }

}  // namespace

Host::Host() {
  if (const char* journalPath = Env("WINSIM_JOURNAL")) journal.SetFile(journalPath);
  if (const char* imagePath = Env("WINSIM_HOST")) {
    LoadFile(imagePath);
  } else {
    Load(Json::parse(StockImageText()), "");
  }
}

Host& Host::Instance() {
  static Host* host = new Host();  // never destroyed: platform calls may come from late threads
  return *host;
}

void Host::Load(const Json& image, std::string path) {
  if (!image.is_object()) throw std::invalid_argument("the image is not a JSON object");
  if (!image.contains("winsim") || image["winsim"] != 1) throw std::invalid_argument("\"winsim\" is not 1");
  const Caller loadedCaller = ParseCaller(Section(image, "caller"));
  const Json scale = image.value("timeoutScale", Json(1.0));
  if (!scale.is_number() || scale.get<double>() < 0)
    throw std::invalid_argument("\"timeoutScale\" is not a number >= 0");
  FaultPlan loadedFaults;
  loadedFaults.Load(Section(image, "faults"));
  ServiceManager loadedServices;
  loadedServices.Load(Section(image, "services"));
  Registry::Validate(Section(image, "registry"));
  if (!Section(image, "broadcasts").is_null() && !image["broadcasts"].is_array())
    throw std::invalid_argument("\"broadcasts\" is not an array");
  std::shared_ptr<MetabaseEngine> loadedMetabase;
  const Json iis = Section(image, "iis");
  if (!iis.is_null()) loadedMetabase = std::make_shared<MetabaseEngine>(iis, scale.get<double>(), metabaseEvents_);

  document = image;
  caller = loadedCaller;
  timeoutScale = scale.get<double>();
  faults = std::move(loadedFaults);
  services = std::move(loadedServices);
  registry = Registry();
  metabase = std::move(loadedMetabase);
  comReferences = 0;
  imagePath_ = std::move(path);
  ++generation;
  journal.Clear();
  changed.notify_all();
}

void Host::LoadBare(const std::string& why) {
  std::fprintf(stderr, "winsim: %s; starting a bare machine\n", why.c_str());
  Load(
      Json::parse(
          R"({"winsim": 1, "iis": null, "registry": {"HKEY_LOCAL_MACHINE": {"name": "", "values": [], "children": []}}, "services": []})"),
      "");
}

void Host::LoadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    Load(Json::parse(StockImageText()), path);  // created at the first write
    return;
  }
  std::stringstream text;
  text << in.rdbuf();
  try {
    Load(Json::parse(text.str()), path);
  } catch (const std::exception& e) {
    LoadBare(path + " is not a host image (" + e.what() + ")");
  }
}

std::string Host::ImageText() const { return document.dump(2, ' ', false, Json::error_handler_t::replace) + "\n"; }

void Host::WriteImage() {
  if (imagePath_.empty()) return;
  const std::string text = ImageText();
  // One lock file for every process, so that the last whole write wins.
  const int lock = ::open((imagePath_ + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (lock >= 0) ::flock(lock, LOCK_EX);
  const std::string temporary = imagePath_ + ".tmp." + std::to_string(::getpid());
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out << text;
  }
  std::rename(temporary.c_str(), imagePath_.c_str());
  if (lock >= 0) ::close(lock);
}

ThreadState& Host::CurrentThread() {
  thread_local ThreadState state;
  if (state.number == 0) state.number = ++nextThreadNumber_;
  if (state.generation != generation) {
    state.generation = generation;
    state.comApartment.clear();
    state.comInitializations = 0;
    state.lastError = 0;
  }
  return state;
}

}  // namespace winsim
