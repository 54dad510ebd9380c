#include "util/string_list.h"

#include <algorithm>

void SplitAtCharacter(const WideString& text, WCHAR delimiter, StringList& list) {
  WideString field;
  for (WCHAR unit : text) {
    if (unit != delimiter) {
      field += unit;
    } else if (!field.empty()) {
      list.push_back(field);
      field.clear();
    }
  }
  if (!field.empty()) {
    list.push_back(field);
  }
}

bool ListContains(const StringList& list, const WideString& value) {
  return std::find(list.begin(), list.end(), value) != list.end();
}
