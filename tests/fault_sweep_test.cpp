// Every operation behind a native method, with each platform call of a clean
// run failed in turn, on the stock image and on one where the detection and
// removal operations find what they look for.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>

#include "filters/filter_installation.h"
#include "filters/php_detection.h"
#include "filters/php_module.h"
#include "filters/web_extension_restriction.h"
#include "metabase/metabase_backup.h"
#include "support/host_fixture.h"
#include "system/jakarta_registry_entries.h"
#include "system/machine_environment.h"
#include "system/php_ini_registry_entries.h"
#include "system/service_control.h"
#include "website/default_encoding.h"
#include "website/document_root.h"
#include "website/virtual_directory.h"
#include "website/web_site_start.h"

namespace {

using Lines = std::vector<Json>;
// Holds for the journal of a faulted run whose fault is journal[faulted].
using Rule = std::function<bool(const Lines& journal, size_t faulted)>;

// Whether the journal has the call; with a value name, a successful write of it.
bool Called(const Lines& journal, const std::string& call, const char* valueName = nullptr) {
  for (const auto& line : journal) {
    if (line["call"] == call && (!valueName || (line["valueName"] == valueName && line["result"] == 0))) return true;
  }
  return false;
}
// Keys above one that could not be deleted keep their subkeys.
bool DeletedNothingAfter(const Lines& journal, size_t faulted) {
  for (size_t i = faulted + 1; i < journal.size(); ++i) {
    if (journal[i]["call"] == "RegDeleteKeyW" && journal[i]["result"] == 0) return false;
  }
  return true;
}
// Nothing is written under a key that could not be opened or created.
bool NoWriteWithoutTheKey(const Lines& journal, size_t faulted) {
  const Json& call = journal[faulted]["call"];
  return (call != "RegOpenKeyExW" && call != "RegCreateKeyExW") || !Called(journal, "RegSetValueExW");
}

struct Operation {
  const char* name;
  std::function<Json()> run;       // a result code, a flag, [code, text], or null for nothing
  std::set<std::string> decisive;  // calls whose failure must give the failure value
  bool saves = false;              // success means a SaveData after the fault
  Rule rule = nullptr;             // what a method that returns nothing must keep to
};

template <typename Op>
std::function<Json()> TextOf(Op op) {
  return [op] {
    WideString text = u"untouched";
    const ResultCode code = op(text);
    return Json{code, std::string(text.begin(), text.end())};
  };
}

const std::set<std::string> kCom = {"CoInitializeEx", "CoGetClassObject", "CreateInstance"};
std::set<std::string> Com(std::set<std::string> more) {
  more.insert(kCom.begin(), kCom.end());
  return more;
}

const Operation kOperations[] = {
    {"InstallIsapiRedirectFilter", [] { return InstallIsapiRedirectFilter(u"jakarta", u"C:\\jk.dll"); },
     Com({"AddKey", "GetData", "SetData", "SaveData"}), true},
    {"InstallPhpModule", [] { return InstallPhpModule(u"C:\\PHP\\php5isapi.dll"); },
     Com({"AddKey", "SetData", "SaveData"}), true},
    {"IsPhpFilterInstalled", [] { return IsPhpFilterInstalled(u"C:\\PHP\\php5isapi.dll"); },
     Com({"OpenKey", "GetData"})},
    {"IsPhpEnabled", [] { return IsPhpEnabled(); }, Com({"EnumKeys"})},
    {"UpdateWebExtensionRestrictionList", [] { return UpdateWebExtensionRestrictionList(u"PHP", u"C:\\php.dll"); },
     Com({"OpenKey", "GetData", "SetData", "SaveData"}), true},
    {"RestoreMetabase", [] { return RestoreMetabase(u"before"); }, Com({"Restore"})},
    {"BackupMetabase", [] { return BackupMetabase(u"before"); }, Com({"Backup"})},
    {"IsWebServerRunning",
     [] { return IsWebServerRunning(); },
     {"OpenSCManagerW", "OpenServiceW", "QueryServiceStatusEx"}},
    {"StartNamedService",
     [] { return StartNamedService(u"IISADMIN"); },
     {"OpenSCManagerW", "OpenServiceW", "StartServiceW"}},
    {"IsServiceInstalled", [] { return IsServiceInstalled(u"IISADMIN"); }, {"OpenSCManagerW", "OpenServiceW"}},
    {"StartDefaultWebSite", [] { return StartDefaultWebSite(); }, Com({"EnumKeys", "SetData"})},
    {"CreateJakartaVirtualDirectory", [] { return CreateJakartaVirtualDirectory(u"jk", u"C:\\jk"); },
     Com({"EnumKeys", "AddKey", "SetData", "SaveData"}), true},
    {"CreateVirtualDirectory", [] { return CreateVirtualDirectory(u"app", u"C:\\app"); },
     Com({"EnumKeys", "AddKey", "SetData", "SaveData"}), true},
    {"SetDefaultEncoding", [] { return SetDefaultEncoding(u"utf-8"); }, Com({"EnumKeys", "SaveData"}), true},
    {"GetDefaultEncoding", TextOf(GetDefaultEncoding), Com({"EnumKeys"})},
    {"GetDocumentRootPath", TextOf(GetDocumentRootPath), Com({"EnumKeys"})},
};

// The methods that return nothing, and the rule each keeps to under a fault.
const struct Procedure {
  const char* name;
  void (*run)();
  Rule rule;
} kProcedures[] = {
    {"CreateJakartaRegistryEntries", [] { CreateJakartaRegistryEntries(u"l", u"w", u"m", u"e"); },
     NoWriteWithoutTheKey},
    {"RemoveJakartaRegistryEntries", RemoveJakartaRegistryEntries, DeletedNothingAfter},
    {"CreatePhpIniRegistryEntries", [] { CreatePhpIniRegistryEntries(u"C:\\PHP"); }, NoWriteWithoutTheKey},
    {"RemovePhpIniRegistryEntries", RemovePhpIniRegistryEntries, DeletedNothingAfter},
    {"AddPathToEnvironment", [] { AddPathToEnvironment(u"C:\\PHP"); },
     [](const Lines& j, size_t) { return Called(j, "SendMessageTimeoutW") == Called(j, "RegSetValueExW", "Path"); }},
    {"RemovePathFromEnvironment", [] { RemovePathFromEnvironment(u"C:\\PHP"); },
     [](const Lines& j, size_t f) {
       const Json& call = j[f]["call"];
       return !Called(j, "SendMessageTimeoutW") &&
              ((call != "RegOpenKeyExW" && call != "RegQueryValueExW") || !Called(j, "RegSetValueExW"));
     }},
};

// Every operation, the procedures giving null.
std::vector<Operation> AllOperations() {
  std::vector<Operation> all(std::begin(kOperations), std::end(kOperations));
  for (const auto& p : kProcedures) all.push_back({p.name, [run = p.run] { return run(), Json(); }, {}, false, p.rule});
  return all;
}

bool IsFailure(const Json& result) {
  if (result.is_boolean()) return !result.get<bool>();
  if (result.is_array()) return result[0] != 0 && result[1] == "untouched";
  return result.is_number() && result != 0;
}

int32_t StatusFor(const std::string& call) {
  static const std::set<std::string> win32 = {"OpenSCManagerW", "OpenServiceW",       "QueryServiceStatusEx",
                                              "StartServiceW",  "CloseServiceHandle", "SendMessageTimeoutW"};
  if (call.rfind("Reg", 0) == 0 || win32.count(call)) return 5;
  return static_cast<int32_t>(0x80070005);
}

Json WithoutFaults(Json image) {
  image.erase("faults");
  return image;
}

class FaultSweepTest : public HostTest {
 protected:
  // Stock, then with what every detection and removal looks for, a backup
  // to restore and IISADMIN stopped.
  static Json Prepared() {
    winsim::ResetHostToStock();
    InstallPhpModule(u"C:\\PHP\\php5isapi.dll");
    InstallIsapiRedirectFilter(u"jakarta", u"C:\\jk.dll");
    CreateJakartaVirtualDirectory(u"jk", u"C:\\jk");
    CreateVirtualDirectory(u"app", u"C:\\app");
    UpdateWebExtensionRestrictionList(u"PHP", u"C:\\php.dll");
    SetDefaultEncoding(u"utf-8");
    BackupMetabase(u"before");
    CreateJakartaRegistryEntries(u"l", u"w", u"m", u"e");
    CreatePhpIniRegistryEntries(u"C:\\PHP");
    AddPathToEnvironment(u"C:\\PHP");
    return WithService(Image(), "IISADMIN", {{"state", 1}});
  }

  static void Sweep(const Operation& op, const Json& image) {
    Reset(image);
    const Json clean = op.run();
    const Json cleanImage = WithoutFaults(Image());
    const Lines calls = Journal();
    std::map<std::string, int> seen;
    for (const auto& call : calls) {
      const std::string name = call["call"];
      const int occurrence = ++seen[name];
      const int32_t status = StatusFor(name);
      const std::string where = std::string(op.name) + ": " + name + " #" + std::to_string(occurrence);
      Reset(WithFault(image, {{"call", name}, {"occurrence", occurrence}, {"status", status}}));
      const Json result = op.run();
      const Lines journal = Journal();
      size_t faulted = journal.size();
      for (size_t i = 0; i < journal.size(); ++i) {
        if (journal[i].value("fault", false)) faulted = i;
      }
      ASSERT_LT(faulted, journal.size()) << where << ": the planned fault did not happen";
      EXPECT_EQ(winsim::CountOpenResources().Total(), 0) << where;
      if (name == "CloseKey" || name == "Release" || name == "RegCloseKey" || name == "CloseServiceHandle") {
        EXPECT_EQ(result, clean) << where << ": a failed release changes nothing";
        EXPECT_TRUE(WithoutFaults(Image()) == cleanImage) << where << ": the image differs";
        continue;
      }
      if (result.is_number()) {
        EXPECT_TRUE(result == 0 || result == 1 || result == status) << where << ": " << result;
      }
      if (op.decisive.count(name)) {
        EXPECT_TRUE(IsFailure(result)) << where << ": " << result;
      }
      if (op.rule) {
        EXPECT_TRUE(op.rule(journal, faulted)) << where;
      }
      bool savedAfter = false;
      for (size_t i = faulted + 1; i < journal.size(); ++i) {
        savedAfter = savedAfter || (journal[i]["call"] == "SaveData" && journal[i]["result"] == 0);
      }
      if (IsFailure(result) && !result.is_null()) {
        EXPECT_FALSE(savedAfter) << where << ": saved after a failed step";
        EXPECT_TRUE(Image()["iis"]["metabase"] == image["iis"]["metabase"]) << where << ": the metabase was saved";
      } else if (op.saves) {
        EXPECT_TRUE(savedAfter) << where << ": got past the fault without saving";
      }
    }
  }
};

TEST_F(FaultSweepTest, EveryCallOfEveryOperationFailedInTurn) {
  const Json prepared = Prepared();
  for (const auto& op : AllOperations()) {
    Sweep(op, Stock());
    Sweep(op, prepared);
  }
}

// Without a usable connection nothing is asked of the metabase.
TEST_F(FaultSweepTest, ASingleThreadedApartmentGivesTheFailureValueAndNoMetabaseCall) {
  for (const auto& op : kOperations) {
    if (!op.decisive.count("CoInitializeEx")) continue;
    Reset(WithApartment(Stock(), "STA"));
    EXPECT_TRUE(IsFailure(op.run())) << op.name;
    EXPECT_EQ(CallNames(), std::vector<std::string>{"CoInitializeEx"}) << op.name;
  }
}

}  // namespace
