#pragma once

#include <QByteArray>
#include <QString>

// The proof that a release package comes from whoever holds the release key.
// A digest in the feed only shows that a transfer arrived whole: whoever can
// change the feed can change the digest with it. The release script signs,
// with the Ed25519 release key, a short statement naming the platform, the
// version and the package's SHA-256 digest; the feed carries the signature
// ("signature", Base64) and the key's id ("signature-key"). The client builds
// the same statement from the feed's version and the digest of the bytes it
// received, and checks the signature with the public key it was built with.
// The version is part of it so that an older signed package cannot be served
// again as a newer one.
namespace PackageSignature {

enum class Verdict {
    Valid,
    // the client has no release key to check with
    NoKey,
    // the feed names no signature
    Unsigned,
    // signed, and the feed says with another key than the client's
    OtherKey,
    // not a signature of this statement by the client's key: the package,
    // its version or the signature was changed
    Mismatch,
};

// The statement the release script signs (see scripts/release.sh).
QByteArray statement(const QString &platform, const QString &version, const QString &sha256Hex);

// The id of a public key given as the Base64 of its DER form: the first 16
// hex digits of the DER's SHA-256 digest.
QString keyId(const QByteArray &publicKeyBase64);

// Checks signatureBase64 over message with the public key (Base64 of DER);
// signedWith is the key id the feed gives (empty: not said).
Verdict verify(const QByteArray &publicKeyBase64, const QByteArray &message, const QString &signatureBase64,
    const QString &signedWith);

// Why a package with this verdict is refused, in words for the user.
QString refusal(Verdict verdict);

// The release key this client was built with (Base64 of DER; empty when the
// build named none).
QByteArray builtInKey();

} // namespace PackageSignature
