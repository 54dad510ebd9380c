#pragma once

#include "platform.h"
#include "util/result_code.h"

class MetabaseConnection;

// One opened metabase key, made only by MetabaseConnection's open operations
// and owned by a MetabaseKeyHolder; destruction closes its handle. Every
// record is read and written at the key's own node, the relative path "/".
// A key is valid while its handle is not 0 and its connection is usable; the
// connection must outlive the key.
class MetabaseKey {
 public:
  MetabaseKey(METADATA_HANDLE handle, MetabaseConnection* connection);
  MetabaseKey(const MetabaseKey&) = delete;
  MetabaseKey& operator=(const MetabaseKey&) = delete;
  ~MetabaseKey();

  bool IsValid() const;

  // The two-call read: asks for the size, then reads into a new BYTE[] that
  // the caller delete[]s. On an invalid key returns 1 with buffer and length
  // untouched; otherwise they are null and 0 unless the read succeeds, except
  // that a failed allocation leaves length at the size the record needs. A
  // record with no data gives 0 with a null buffer.
  ResultCode ReadRecord(DWORD identifier, DWORD attributes, DWORD userType, DWORD dataType, BYTE*& buffer,
                        DWORD& length);
  // 1 on an invalid key, else the status of SetData.
  ResultCode WriteRecord(DWORD identifier, DWORD attributes, DWORD userType, DWORD dataType, const BYTE* data,
                         DWORD length);

  // A string record's text up to its first NUL. The text is unchanged unless
  // the read succeeds with data.
  ResultCode ReadString(DWORD identifier, DWORD attributes, DWORD userType, WideString& text);
  ResultCode WriteDword(DWORD identifier, DWORD attributes, DWORD userType, DWORD value);
  // Writes the text with its NUL. An empty text, or an invalid key, writes
  // nothing and returns 0 (unlike WriteDword, which returns 1 on an invalid key).
  ResultCode WriteString(DWORD identifier, DWORD attributes, DWORD userType, const WideString& text);

 private:
  void Close();

  METADATA_HANDLE handle_;
  MetabaseConnection* connection_;
};

// Whether a list read may be edited and written back: it succeeded, or the
// record is absent and the list starts empty. Any other failure means a
// stored list that could not be read, which must not be replaced.
bool IsEditableListRead(ResultCode read);
