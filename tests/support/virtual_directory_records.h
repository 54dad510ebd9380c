#pragma once

#include "support/host_image.h"

// A virtual directory named kDirectoryName for kDirectoryPath: the records
// its key holds afterwards, in the order they are written. Shared by the
// simulated and the Windows tests.
inline constexpr char16_t kDirectoryName[] = u"jk";
inline constexpr char16_t kDirectoryPath[] = u"C:\\jk\\apps";

inline Json DirectoryRecords(bool jakarta) {
  if (jakarta) {
    return {Record(1002, 1, 2, 2, "IIsWebVirtualDir"), Record(1099, 1, 1, 1, 0), Record(3001, 1, 2, 2, "C:\\jk\\apps"),
            Record(6016, 1, 2, 1, 0x205)};
  }
  return {
      Record(1002, 0, 1, 2, "IIsWebVirtualDir"),    Record(1099, 1, 1, 1, 0),    Record(2102, 1, 100, 2, "jk"),
      Record(2103, 1, 2, 2, "/LM/W3SVC/1/ROOT/jk"), Record(2104, 1, 100, 1, 2),  Record(3001, 1, 2, 2, "C:\\jk\\apps"),
      Record(6005, 1, 2, 1, 0xC000003Eu),           Record(6016, 1, 2, 1, 0x201)};
}
