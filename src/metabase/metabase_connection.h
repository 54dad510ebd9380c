#pragma once

#include "platform.h"

class MetabaseKey;

// The COM connection to the IIS Admin Base Object, one per operation, on the
// operation's stack. Construction never fails loudly: a failed step leaves
// the connection unusable, and destruction releases only what was obtained.
// COM is never uninitialised: each usable connection adds one initialisation
// of the multithreaded apartment to the calling thread.
//
//   MetabaseConnection connection;
//   if (!connection.IsValid()) return kFailure;
class MetabaseConnection {
 public:
  MetabaseConnection();
  MetabaseConnection(const MetabaseConnection&) = delete;
  MetabaseConnection& operator=(const MetabaseConnection&) = delete;
  ~MetabaseConnection();

  bool IsValid() const;
  // Lends the interface; only after IsValid() said true.
  IMSAdminBase* AdminBase() const { return adminBase_; }

  // Opens an existing key by its absolute path, for reading and writing with
  // a time-out of 1000 ms. A new key the caller owns, or null on any failure.
  MetabaseKey* OpenKey(const WideString& path);
  // Opens parentPath + childPath, first adding childPath (which carries its
  // own leading "/") under an existing parent when it is missing. The parent
  // is held open only for the AddKey call. Null on any failure.
  MetabaseKey* OpenOrCreateKey(const WideString& parentPath, const WideString& childPath);

  // The key name under "/LM/W3SVC" of the first child, in enumeration order,
  // whose key type is exactly "IIsWebServer". Children that cannot be opened
  // or have no readable key type are passed over; the search ends at the
  // first index the enumeration refuses. The name is assigned only on true.
  bool FindDefaultWebSite(WideString& siteName);

 private:
  METADATA_HANDLE OpenHandle(const WideString& path);
  MetabaseKey* AdoptHandle(METADATA_HANDLE handle);

  IClassFactory* factory_ = nullptr;
  IMSAdminBase* adminBase_ = nullptr;
  HRESULT classStatus_ = 1;
  HRESULT instanceStatus_ = 0;
};
