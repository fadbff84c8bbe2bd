#pragma once

#include <QString>

// Who vouches for a program. This machine has no code-signing service: a program's signature is a record in
// its extended attribute "user.quorvane.codesign", "<authority> <sha256>", where the authority is "apple",
// "notarized", "developerID" or "adhoc" and the SHA-256 (64 lower-case hexadecimal digits) is that of the
// content it signs, so that a program changed after signing no longer matches.
namespace Platform::CodeSigning {

// In rising order of doubt, as a verdict reads them.
enum class Status {
    appleSigned,
    notarized,
    developerID,
    noAuthority,  // signed ad hoc: nobody vouches for the signer
    unsignedCode, // no signature at all
    invalid,      // a signature that does not hold: malformed, or the content changed after signing
    unreadable,   // nothing at the path, or nothing that can be opened as a file
};

// The status of the program at `path` (a final link is followed, as the system does when it runs it).
// Reads the whole file to check its content; blocks the calling thread meanwhile.
Status status(const QString& path);

// The attribute's name and the record that signs `content` for `authority`, for the tools that lay out a
// demonstration Mac and for tests.
QString attributeName();
QByteArray record(const QString& authority, const QByteArray& content);

} // namespace Platform::CodeSigning
