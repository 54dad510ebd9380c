#pragma once

#include "platform.h"

// The edits behind the list-valued records and the machine Path, apart from
// their reads and writes. Matching is by UTF-16 code unit, case-sensitive.

// The filter load order with `name` in it: the text unchanged when one of its
// comma-separated fields (empty ones skipped, blanks kept) equals the name;
// otherwise the text + "," + name, or + name alone when it has no field. The
// fields are never re-joined, so an odd text keeps its form.
WideString WithFilterInLoadOrder(const WideString& loadOrder, const WideString& name);

// The default documents with `document` in them: unchanged when the document
// occurs anywhere in the text (a longer name holding it counts), the document
// alone when the text is empty, else the text + "," + document.
WideString WithDefaultDocument(const WideString& documents, const WideString& document);

// The non-empty fields of `text` that do not contain `part`, in order, joined
// by single separators.
WideString WithoutFieldsContaining(const WideString& text, WCHAR separator, const WideString& part);

// Drops every entry of a multi-string buffer that contains `text` anywhere,
// when the buffer holds a list, then appends `entry` last; without a list the
// result is `entry` alone. Ownership as for AppendToMultiString.
void ReplaceEntriesContaining(const WideString& text, const WideString& entry, BYTE*& buffer, DWORD& length);
