#include "common/Password.h"
#include <sodium.h>
#include <stdexcept>

namespace password {
namespace {

void ready()
{
    if (sodium_init() < 0) throw std::runtime_error("libsodium cannot start");
}

} // namespace

QString hash(const QString& plain)
{
    ready();
    const QByteArray bytes = plain.toUtf8();
    char out[crypto_pwhash_STRBYTES];
    // The interactive costs: a sign-in waits a fraction of a second, a guesser as long per try.
    if (crypto_pwhash_str(out, bytes.constData(), static_cast<unsigned long long>(bytes.size()),
                          crypto_pwhash_OPSLIMIT_INTERACTIVE, crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0)
        throw std::runtime_error("not enough memory to protect the password");
    return QString::fromLatin1(out);
}

bool matches(const QString& storedHash, const QString& plain)
{
    ready();
    const QByteArray stored = storedHash.toLatin1(), bytes = plain.toUtf8();
    return !stored.isEmpty() &&
           crypto_pwhash_str_verify(stored.constData(), bytes.constData(), static_cast<unsigned long long>(bytes.size())) == 0;
}

bool isHash(const QString& stored)
{
    return stored.startsWith(QLatin1String(crypto_pwhash_STRPREFIX));
}

} // namespace password
