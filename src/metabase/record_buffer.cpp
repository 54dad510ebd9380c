#include "metabase/record_buffer.h"

void RecordBuffer::Clear() {
  delete[] data;
  data = nullptr;
  length = 0;
}
