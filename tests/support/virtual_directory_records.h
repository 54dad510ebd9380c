#pragma once

#include <nlohmann/json.hpp>

// A virtual directory named kDirectoryName for kDirectoryPath: the records
// its key holds afterwards, in the order they are written, in the image's
// form. Shared by the simulated and the Windows tests.
inline constexpr char16_t kDirectoryName[] = u"jk";
inline constexpr char16_t kDirectoryPath[] = u"C:\\jk\\apps";

inline nlohmann::ordered_json DirectoryRecords(bool jakarta) {
  auto record = [](int id, int attributes, int userType, int dataType, nlohmann::ordered_json value) {
    return nlohmann::ordered_json{{"id", id},
                                  {"attributes", attributes},
                                  {"userType", userType},
                                  {"dataType", dataType},
                                  {"value", std::move(value)}};
  };
  if (jakarta) {
    return {record(1002, 1, 2, 2, "IIsWebVirtualDir"), record(1099, 1, 1, 1, 0), record(3001, 1, 2, 2, "C:\\jk\\apps"),
            record(6016, 1, 2, 1, 0x205)};
  }
  return {
      record(1002, 0, 1, 2, "IIsWebVirtualDir"),    record(1099, 1, 1, 1, 0),    record(2102, 1, 100, 2, "jk"),
      record(2103, 1, 2, 2, "/LM/W3SVC/1/ROOT/jk"), record(2104, 1, 100, 1, 2),  record(3001, 1, 2, 2, "C:\\jk\\apps"),
      record(6005, 1, 2, 1, 0xC000003Eu),           record(6016, 1, 2, 1, 0x201)};
}
