#pragma once
#include <QString>

// Sign-in and voucher passwords, kept only as libsodium's Argon2id hash string (salt and costs inside it):
// a copy of the database gives nobody the cashiers' passwords.
namespace password {

// The hash to store; throws std::runtime_error when the machine cannot spare the memory.
QString hash(const QString& plain);
bool matches(const QString& storedHash, const QString& plain);
// Whether a stored text is such a hash (and not a password some other program stored as it is).
bool isHash(const QString& stored);

} // namespace password
