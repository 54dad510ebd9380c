// The simulated host at the size of a shared server: the library's own
// operations against metabases of thousands of keys, written back to an image
// file as they would be for a user, and the reset a fuzzer pays per run.
#include <benchmark/benchmark.h>
#include <unistd.h>
#include <winsim/control.h>

#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>

#include "filters/php_module.h"
#include "filters/web_extension_restriction.h"
#include "website/document_root.h"
#include "website/virtual_directory.h"

namespace {

using Json = nlohmann::ordered_json;

Json Key(const std::string& name, const std::string& keyType) {
  return {{"name", name},
          {"records", {{{"id", 1002}, {"attributes", 0}, {"userType", 1}, {"dataType", 2}, {"value", keyType}}}},
          {"children", Json::array()}};
}

Json& WebService(Json& image) { return image["iis"]["metabase"]["children"][0]["children"][1]; }

// The stock image with `count` keys put under /LM/W3SVC, ahead of the default
// site or after it.
Json WithKeys(int64_t count, const std::string& keyType, bool ahead) {
  Json image = Json::parse(winsim::StockImage());
  Json& children = WebService(image)["children"];
  Json keys = Json::array();
  for (int64_t i = 0; i < count; ++i) keys.push_back(Key("k" + std::to_string(i), keyType));
  children.insert(ahead ? children.begin() : children.end(), keys.begin(), keys.end());
  return image;
}

// A list record of `count` entries on /LM/W3SVC, replacing the stock one.
Json WithList(int64_t count, int id, const std::string& prefix) {
  Json image = Json::parse(winsim::StockImage());
  Json entries = Json::array();
  for (int64_t i = 0; i < count; ++i) entries.push_back(prefix + std::to_string(i) + ".dll,1,X,Extension");
  for (auto& record : WebService(image)["records"]) {
    if (record["id"] == id) record["value"] = entries;
  }
  return image;
}

// No one reads the journal here: a user's host keeps none in memory.
void Reset(const Json& image) {
  winsim::KeepJournal(false);
  winsim::ResetHost(image.dump());
}

// Loads the image from a file of its own, so that every change is written.
class ImageFile {
 public:
  explicit ImageFile(const Json& image) : path_("/tmp/winsim-bench-" + std::to_string(::getpid()) + ".json") {
    std::FILE* file = std::fopen(path_.c_str(), "w");
    const std::string text = image.dump();
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
    winsim::KeepJournal(false);
    winsim::ResetHostFromFile(path_);
  }
  const std::string& Path() const { return path_; }
  ~ImageFile() {
    winsim::ResetHostToStock();
    std::remove(path_.c_str());
    std::remove((path_ + ".lock").c_str());
  }

 private:
  std::string path_;
};

void DocumentRootBehindKeys(benchmark::State& state) {
  Reset(WithKeys(state.range(0), "IIsFtpServer", true));
  for (auto _ : state) {
    WideString path;
    if (GetDocumentRootPath(path) != 0) state.SkipWithError("no document root");
  }
  state.SetComplexityN(state.range(0));
}

void VirtualDirectoryAmongSites(benchmark::State& state) {
  ImageFile file(WithKeys(state.range(0), "IIsWebServer", false));
  int64_t made = 0;
  for (auto _ : state) {
    WideString name = u"app";
    for (const char c : std::to_string(made++)) name += static_cast<WCHAR>(c);
    if (CreateVirtualDirectory(name, u"C:\\apps") != 0) state.SkipWithError("not created");
  }
}

void RestrictionListEdit(benchmark::State& state) {
  ImageFile file(WithList(state.range(0), 2168, "1,C:\\ext\\e"));
  for (auto _ : state) {
    if (UpdateWebExtensionRestrictionList(u"PHP", u"C:\\PHP\\php5isapi.dll") != 0) state.SkipWithError("failed");
  }
}

void ScriptMapEdit(benchmark::State& state) {
  ImageFile file(WithList(state.range(0), 6014, ".e"));
  for (auto _ : state) {
    if (InstallPhpModule(u"C:\\PHP\\php5isapi.dll") != 0) state.SkipWithError("failed");
  }
}

// What a process pays at its first call on a shared server's image: the parse, the metabase built and
// its saved text.
void LoadImageOfSites(benchmark::State& state) {
  ImageFile file(WithKeys(state.range(0), "IIsWebServer", false));
  for (auto _ : state) winsim::ResetHostFromFile(file.Path());
}

// What a fuzzer pays per run: a fresh stock host, then one operation.
void ResetAndOneOperation(benchmark::State& state) {
  winsim::KeepJournal(false);
  for (auto _ : state) {
    winsim::ResetHostToStock();
    WideString path;
    GetDocumentRootPath(path);
  }
}

BENCHMARK(DocumentRootBehindKeys)->Arg(10)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK(VirtualDirectoryAmongSites)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(RestrictionListEdit)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(ScriptMapEdit)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(LoadImageOfSites)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(ResetAndOneOperation)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
