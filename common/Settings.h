#pragma once
#include <QString>
#include <optional>

// The module's settings "Kelvask": an INI file at $CALVANE_SETTINGS, else
// $XDG_CONFIG_HOME/calvane/Kelvask.ini. The file existing is what "the key exists" means:
// when it is missing nothing is read and nothing is written.
namespace settings {

QString path();
bool keyExists();
// Creates the file when it is missing (calvane init does this); false when it cannot.
bool createKey();
std::optional<QString> readValue(const QString& name);
// Returns false when the key is missing (nothing written).
bool writeValue(const QString& name, const QString& value);

inline const QString defaultReceiptTitle = QStringLiteral("口 腔 门 诊 部");

// "ReceiptTitle": key missing → title untouched; value missing → the default, written back;
// otherwise at most 255 characters of the stored title.
void readReceiptTitle(QString& title);
// "FeeDiscout": key missing → choice untouched; value missing → 1, written back;
// "1"/"0" → 1/0; anything else leaves the choice as it was.
void readFeeDiscout(int& choice);
// Stores "1" or "0" for choice 1 or 0, an empty text for any other.
void writeFeeDiscout(int choice);

} // namespace settings
