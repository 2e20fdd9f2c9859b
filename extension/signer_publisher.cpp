#include "extension/signer_publisher.h"

#include <windows.h>
#include <wincrypt.h>

#include <vector>

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
    // The signer's issuer and serial number, which name its certificate in the store.
    DWORD size = 0;
    if (!CryptMsgGetParam(message.Get(), CMSG_SIGNER_CERT_INFO_PARAM, 0, nullptr, &size) ||
        size < sizeof(CERT_INFO)) {
        return false;
    }
    std::vector<BYTE> signer(size);
    if (!CryptMsgGetParam(message.Get(), CMSG_SIGNER_CERT_INFO_PARAM, 0, signer.data(), &size)) {
        return false;
    }
    const CertContext certificate(CertFindCertificateInStore(
        store.Get(), encoding, 0, CERT_FIND_SUBJECT_CERT, signer.data(), nullptr));
    if (!certificate.Get()) return false;
    CERT_NAME_BLOB* name = &certificate.Get()->pCertInfo->Subject;
    const DWORD length = CertNameToStrW(X509_ASN_ENCODING, name, kPublisherForm, nullptr, 0);
    if (length <= 1) return false;  // the terminator alone: no subject
    std::u16string text(length, u'\0');
    CertNameToStrW(X509_ASN_ENCODING, name, kPublisherForm, reinterpret_cast<LPWSTR>(&text[0]),
                   length);
    text.resize(length - 1);
    subject.swap(text);
    return true;
}

std::u16string packagePublisherFor(const wchar_t* file) {
    std::u16string subject;
    if (authenticodeSignerSubject(file, subject)) return subject;
    return std::u16string(kUnsignedPublisher);
}
