#pragma once

#include "platform.h"

// The owner of one record buffer, as MetabaseKey::ReadRecord hands it out and
// the multi-string edits replace it: `data` and `length` are passed to them by
// reference, and whatever `data` points at last is delete[]d on every path.
//
//   RecordBuffer buffer;
//   key.ReadRecord(MD_SCRIPT_MAPS, ..., buffer.data, buffer.length);
class RecordBuffer {
 public:
  RecordBuffer() = default;
  RecordBuffer(const RecordBuffer&) = delete;
  RecordBuffer& operator=(const RecordBuffer&) = delete;
  ~RecordBuffer() { Clear(); }

  bool HasData() const { return data != nullptr && length > 0; }
  void Clear();

  BYTE* data = nullptr;
  DWORD length = 0;
};
