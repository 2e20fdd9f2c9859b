#include "extension/signer_publisher.h"

#include <windows.h>
#include <wincrypt.h>

#include "common/crypt_objects.h"

namespace {

// The relative names from the last encoded to the first, each type by its X.500 key
// (CN, O, C...) or as OID.n.n, values quoted where they need it.
constexpr DWORD kPublisherForm = CERT_X500_NAME_STR | CERT_NAME_STR_REVERSE_FLAG;

}  // namespace

bool authenticodeSignerSubject(const wchar_t* file, std::u16string& subject) {
    DWORD encoding = 0, contentType = 0, formatType = 0;
    HCERTSTORE rawStore = nullptr;
    HCRYPTMSG rawMessage = nullptr;
    if (!CryptQueryObject(CERT_QUERY_OBJECT_FILE, file, CERT_QUERY_CONTENT_FLAG_PKCS7_SIGNED_EMBED,
                          CERT_QUERY_FORMAT_FLAG_BINARY, 0, &encoding, &contentType, &formatType,
                          &rawStore, &rawMessage, nullptr)) {
        return false;
    }
    const CertStore store(rawStore);
    const CryptMessage message(rawMessage);
    // The signer's issuer and serial number, which name its certificate in the store. A
    // signer whose names do not fit here counts as none: the unsigned Publisher.
    alignas(CERT_INFO) BYTE signer[4096];
    DWORD size = sizeof signer;
    if (!CryptMsgGetParam(message.Get(), CMSG_SIGNER_CERT_INFO_PARAM, 0, signer, &size)) {
        return false;
    }
    const CertContext certificate(CertFindCertificateInStore(
        store.Get(), encoding, 0, CERT_FIND_SUBJECT_CERT, signer, nullptr));
    if (!certificate.Get()) return false;
    // A longer subject (past the manifest's limit for a Publisher) counts as none too.
    wchar_t text[2048];
    const DWORD length = CertNameToStrW(X509_ASN_ENCODING, &certificate.Get()->pCertInfo->Subject,
                                        kPublisherForm, text, sizeof text / sizeof text[0]);
    // Only the terminator: no subject; the whole buffer: maybe cut short.
    if (length <= 1 || length >= sizeof text / sizeof text[0]) return false;
    subject.assign(reinterpret_cast<const char16_t*>(text), length - 1);
    return true;
}
