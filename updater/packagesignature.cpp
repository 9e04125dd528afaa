#include "packagesignature.h"

#include <QCoreApplication>
#include <QCryptographicHash>

#include <openssl/evp.h>
#include <openssl/x509.h>

#include <memory>

namespace {

struct KeyDeleter
{
    void operator()(EVP_PKEY *key) const { EVP_PKEY_free(key); }
};
struct ContextDeleter
{
    void operator()(EVP_MD_CTX *context) const { EVP_MD_CTX_free(context); }
};

// An Ed25519 public key from its DER form; null for anything else.
std::unique_ptr<EVP_PKEY, KeyDeleter> readKey(const QByteArray &der)
{
    const auto *data = reinterpret_cast<const unsigned char *>(der.constData());
    std::unique_ptr<EVP_PKEY, KeyDeleter> key(d2i_PUBKEY(nullptr, &data, der.size()));
    if (!key || EVP_PKEY_id(key.get()) != EVP_PKEY_ED25519)
        return nullptr;
    return key;
}

QByteArray decodeBase64(const QByteArray &text)
{
    const auto decoded = QByteArray::fromBase64Encoding(text.trimmed(), QByteArray::AbortOnBase64DecodingErrors);
    return decoded ? *decoded : QByteArray();
}

QString tr(const char *text)
{
    return QCoreApplication::translate("PackageSignature", text);
}

} // namespace

namespace PackageSignature {

QByteArray statement(const QString &platform, const QString &version, const QString &sha256Hex)
{
    return "Vendrix update\nplatform: " + platform.toUtf8() + "\nversion: " + version.toUtf8()
        + "\nsha256: " + sha256Hex.toLower().toLatin1() + '\n';
}

QString keyId(const QByteArray &publicKeyBase64)
{
    const QByteArray der = decodeBase64(publicKeyBase64);
    return QString::fromLatin1(QCryptographicHash::hash(der, QCryptographicHash::Sha256).toHex().left(16));
}

Verdict verify(const QByteArray &publicKeyBase64, const QByteArray &message, const QString &signatureBase64,
    const QString &signedWith)
{
    const auto key = readKey(decodeBase64(publicKeyBase64));
    if (!key)
        return Verdict::NoKey;
    if (signatureBase64.trimmed().isEmpty())
        return Verdict::Unsigned;
    if (!signedWith.isEmpty() && signedWith.trimmed().toLower() != keyId(publicKeyBase64))
        return Verdict::OtherKey;
    const QByteArray signature = decodeBase64(signatureBase64.toLatin1());
    std::unique_ptr<EVP_MD_CTX, ContextDeleter> context(EVP_MD_CTX_new());
    // Ed25519 signs the message itself, without a digest of its own
    const bool valid = signature.size() == 64 && context
        && EVP_DigestVerifyInit(context.get(), nullptr, nullptr, nullptr, key.get()) == 1
        && EVP_DigestVerify(context.get(), reinterpret_cast<const unsigned char *>(signature.constData()),
               signature.size(), reinterpret_cast<const unsigned char *>(message.constData()), message.size())
            == 1;
    return valid ? Verdict::Valid : Verdict::Mismatch;
}

QString refusal(Verdict verdict)
{
    switch (verdict) {
    case Verdict::Valid:
        return QString();
    case Verdict::NoKey:
        return tr("Diese Vendrix-Version wurde ohne Release-Schlüssel gebaut und kann die Herkunft eines Updates "
                  "nicht prüfen.");
    case Verdict::Unsigned:
        return tr("Das Paket ist nicht signiert. Vendrix installiert nur Updates, die mit dem Release-Schlüssel "
                  "signiert sind.");
    case Verdict::OtherKey:
        return tr("Das Paket ist mit einem anderen Schlüssel signiert als dem Release-Schlüssel dieser "
                  "Vendrix-Version.");
    case Verdict::Mismatch:
        break;
    }
    return tr("Die Signatur gehört nicht zu diesem Paket: Es wurde nach dem Signieren verändert oder nicht mit dem "
              "Release-Schlüssel signiert.");
}

QByteArray builtInKey()
{
    return QByteArrayLiteral(VENDRIX_UPDATE_PUBLIC_KEY);
}

} // namespace PackageSignature
