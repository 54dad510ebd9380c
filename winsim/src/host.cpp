#include "host.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "codec.h"

namespace winsim {
namespace {

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

void ValidateRegistryKey(const Json& key, const std::string& where) {
  TextField(key, "name", where);
  for (const auto& value : ArrayField(key, "values", where)) {
    const std::string at = where + " value " + TextField(value, "name", where);
    EntryBytes(value, "data", RegistryForm(Number32(value, "type", at)), at);
  }
  for (const auto& child : ArrayField(key, "children", where))
    ValidateRegistryKey(child, where + "\\" + TextField(child, "name", where));
}

}  // namespace

Host::Host() {
  journalFile_ = Env("WINSIM_JOURNAL");
  if (!Env("WINSIM_HOST").empty()) {
    LoadFile(Env("WINSIM_HOST"));
  } else {
    Load(ParseJson(StockImageText()), "");
  }
}

Host& Host::Instance() {
  static Host* host = new Host();  // never destroyed: platform calls may come from late threads
  return *host;
}

void Host::Load(const Json& image, std::string path) {
  if (!image.is_object() || image.value("winsim", Json()) != 1) Invalid("the image", "\"winsim\" is not 1");
  const double scale = TimeoutScale(image);
  State loaded;
  const Json caller = image.value("caller", Json::object());
  if (!caller.is_object()) Invalid("the image", "\"caller\" is not an object");
  const Json administrator = caller.value("administrator", Json(true));
  if (!administrator.is_boolean()) Invalid("caller", "\"administrator\" is not true or false");
  loaded.administrator = administrator.get<bool>();
  loaded.comApartment = caller.contains("comApartment") ? TextField(caller, "comApartment", "caller") : "none";
  if (loaded.comApartment != "none" && loaded.comApartment != "STA" && loaded.comApartment != "MTA")
    Invalid("caller", "\"comApartment\" is not \"none\", \"STA\" or \"MTA\"");
  FaultPlan faults(ArrayField(image, "faults", "the image"));
  for (const auto& service : ArrayField(image, "services", "the image")) {
    TextField(service, "name", "a service");
    const DWORD state = Number32(service, "state", "a service", SERVICE_STOPPED);
    if (state < SERVICE_STOPPED || state > SERVICE_PAUSED) Invalid("a service", "\"state\" is not 1 to 7");
    for (const char* field : {"startType", "startResult", "deniedAccess"}) Number32(service, field, "a service", 0);
  }
  if (image.contains("registry") && !image["registry"].is_null()) {
    if (!image["registry"].is_object()) Invalid("the image", "\"registry\" is not an object");
    if (image["registry"].contains("HKEY_LOCAL_MACHINE"))
      ValidateRegistryKey(image["registry"]["HKEY_LOCAL_MACHINE"], "registry.HKEY_LOCAL_MACHINE");
  }
  ArrayField(image, "broadcasts", "the image");
  if (image.contains("iis") && !image["iis"].is_null())
    loaded.metabase = std::make_shared<MetabaseEngine>(image["iis"], scale);
  // The engine keeps the metabase and backups, serialized: they stay in the document as nulls, in their
  // places, and are not copied there only to be dropped, as they are most of a large image.
  loaded.document = Json::object();
  for (const auto& member : image.items()) {
    if (member.key() != "iis" || !loaded.metabase) {
      loaded.document[member.key()] = member.value();
      continue;
    }
    Json& iis = loaded.document["iis"] = Json::object();
    for (const auto& part : member.value().items())
      iis[part.key()] = part.key() == "metabase" || part.key() == "backups" ? Json() : part.value();
  }
  loaded.imagePath = std::move(path);
  state_ = std::move(loaded);
  Site::Reset(std::move(faults));
}

void Host::LoadFile(const std::string& path) {
  const auto text = ReadFileText(path);
  try {
    const Json image = ParseJson(text ? *text : StockImageText());  // a missing file is created at the first write
    CheckDepth(image);
    Load(image, path);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "winsim: %s is not a host image (%s); starting a bare machine\n", path.c_str(), e.what());
    Load(Json::parse(R"({"winsim": 1, "iis": null, "services": []})"), "");
  }
}

template <typename Loading>
void Host::ControlledReset(Loading load) {
  Site::Call call(*this, nullptr);
  load();
  journalFile_ = Env("WINSIM_JOURNAL");
  journalKept_ = keepJournal_.value_or(true);
}

void ResetHost(const std::string& image) {
  Json parsed;
  try {
    parsed = ParseJson(image);
  } catch (const Json::parse_error& e) {
    throw std::invalid_argument(e.what());
  }
  CheckDepth(parsed);
  Host& host = Host::Instance();
  host.ControlledReset([&] { host.Load(parsed, ""); });
}

void ResetHostToStock() {
  static const Json stock = ParseJson(StockImageText());
  Host& host = Host::Instance();
  host.ControlledReset([&] { host.Load(stock, ""); });
}

void ResetHostFromFile(const std::string& path) {
  Host& host = Host::Instance();
  host.ControlledReset([&] { host.LoadFile(path); });
}

void KeepJournal(bool keep) {
  Host& host = Host::Instance();
  Site::Call call(host, nullptr);
  host.keepJournal_ = host.journalKept_ = keep;
}

std::string StockImage() { return StockImageText(); }

std::string HostImage() {
  Host& host = Host::Instance();
  Site::Call call(host, nullptr);
  return ComposeImage(host.state_.document, host.state_.metabase.get());
}

std::vector<std::string> JournalLines() {
  Host& host = Host::Instance();
  Site::Call call(host, nullptr);
  return host.journal_;
}

OpenResources CountOpenResources() {
  Host& host = Host::Instance();
  Site::Call call(host, nullptr);
  const Host::State& state = host.state_;
  return {state.metabase ? state.metabase->OpenHandles() : 0, static_cast<int>(state.registryKeys.size()),
          static_cast<int>(state.services.size()), host.comReferences_};
}

void Host::Persist(Site::Call&, const MetabaseEngine& metabase) {
  if (&metabase == state_.metabase.get()) state_.WriteImage();
}

void Host::State::WriteImage() const {
  if (!imagePath.empty()) ReplaceFile(imagePath, [this] { return ComposeImage(document, metabase.get()); });
}

Host::Call::Call(const char* name)
    : Site::Call(Host::Instance(), name), state(Host::Instance().state_), thread([]() -> ThreadState& {
        thread_local ThreadState current;
        const uint64_t generation = Host::Instance().generation_;
        if (current.generation != generation) current = ThreadState{0, generation, ""};
        return current;
      }()) {}

void Host::Call::Fail(Json result, DWORD lastError) {
  thread.lastError = lastError;
  Finish(std::move(result), lastError);
}

}  // namespace winsim

DWORD GetLastError() { return winsim::Host::Call(nullptr).thread.lastError; }

void SetLastError(DWORD error) { winsim::Host::Call(nullptr).thread.lastError = error; }
