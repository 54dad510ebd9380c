#pragma once

#include "metabase/record_buffer.h"
#include "platform.h"
#include "util/result_code.h"

// The text edits behind the list-valued metabase records, apart from the
// reads and writes. Matching is by UTF-16 code unit, case-sensitive.

// The filter load order with `name` in it: the text unchanged when one of its
// comma-separated fields (empty ones skipped, blanks kept) equals the name;
// otherwise the text + "," + name, or + name alone when it has no field. The
// fields are never re-joined, so an odd text keeps its form.
WideString WithFilterInLoadOrder(const WideString& loadOrder, const WideString& name);

// The default documents with `document` in them: unchanged when the document
// occurs anywhere in the text (a longer name holding it counts), the document
// alone when the text is empty, else the text + "," + document.
WideString WithDefaultDocument(const WideString& documents, const WideString& document);

// Drops every entry that contains `text` anywhere, when the buffer holds a
// list, then appends `entry` last; without a list the result is `entry` alone.
void ReplaceEntriesContaining(const WideString& text, const WideString& entry, RecordBuffer& buffer);

// Whether a list read may be edited and written back: it succeeded, or the
// record is absent and the list starts empty. Any other failure means a
// stored list that could not be read, which must not be replaced.
bool IsEditableListRead(ResultCode read);
