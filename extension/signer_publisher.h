// The Publisher of the package that gives the Explorer commands their identity, as the
// module can know it: the package is signed, when it is, with the certificate that signs
// the module, and a signed package's Publisher is that certificate's subject in the form
// tools/msix/publisher.py writes (CertNameToStr's X.500 form, the last encoded relative
// name first). An unsigned package carries a fixed Publisher of its own.
#pragma once

#include <string>
#include <string_view>

// The Publisher of the unsigned package, that of a module whose file carries no signature.
inline constexpr std::u16string_view kUnsignedPublisher =
    u"CN=TovakLite, OID.2.25.311729368913984317654407730594956997722=1";

// The subject of the certificate whose Authenticode signature `file` (zero-terminated)
// carries, in the Publisher's form. False, with `subject` untouched, for a file with no
// embedded signature, one that cannot be read, or a subject of 2,047 characters or more.
// Throws std::bad_alloc only.
bool authenticodeSignerSubject(const wchar_t* file, std::u16string& subject);
