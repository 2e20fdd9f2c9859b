// Holders of the crypt32 handles that reading a file's Authenticode signature hands out:
// a certificate store, a cryptographic message and a certificate context. Each gives
// back what it holds when its scope ends.
#pragma once

#include <windows.h>
#include <wincrypt.h>

#include "common/scoped_handle.h"

struct CloseCertStore {
    void operator()(HCERTSTORE store) const { CertCloseStore(store, 0); }
};

struct CloseCryptMessage {
    void operator()(HCRYPTMSG message) const { CryptMsgClose(message); }
};

struct FreeCertContext {
    void operator()(PCCERT_CONTEXT certificate) const { CertFreeCertificateContext(certificate); }
};

// A certificate store (CryptQueryObject, CertOpenStore), closed with its holder.
using CertStore = ScopedHandle<HCERTSTORE, CloseCertStore>;

// A cryptographic message (CryptQueryObject, CryptMsgOpenToDecode), closed with its holder.
using CryptMessage = ScopedHandle<HCRYPTMSG, CloseCryptMessage>;

// A certificate found in a store (CertFindCertificateInStore), freed with its holder.
using CertContext = ScopedHandle<PCCERT_CONTEXT, FreeCertContext>;
