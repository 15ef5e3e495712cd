// Owner of a Windows certificate store. <wincrypt.h> defines names that
// OpenSSL's types share (X509_NAME and others), which OpenSSL's headers undo
// only when they come second: include this header before any of OpenSSL's.
#pragma once

#include <windows.h>
#include <wincrypt.h>

#include "framework/util/win_handles.h"

struct CertStoreTraits {
  using Handle = HCERTSTORE;
  static Handle Invalid() noexcept { return nullptr; }
  static void Close(Handle h) noexcept { CertCloseStore(h, 0); }
};
using CCertStore = CUniqueHandle<CertStoreTraits>;
