#pragma once

#include <vector>

#include "platform.h"

// Ordered, duplicates allowed. Functions that fill a list append to it and
// never clear it; matching is by code unit, with no case folding or trimming.
// Nothing here reports failure: only an allocation failure escapes, as
// std::bad_alloc, and the list keeps whatever was appended before it.
using StringList = std::vector<WideString>;

// Drops empty fields, so leading, trailing and doubled delimiters add nothing.
void SplitAtCharacter(const WideString& text, WCHAR delimiter, StringList& list);

bool ListContains(const StringList& list, const WideString& value);
