#pragma once
#include "db/RecordOps.h"

// An edit of a stored row writes only while the row still holds what the dialog loaded: a
// correction made at another desk in between must not be overwritten unseen.
namespace receipt {

// The key, and every loaded column equal to the value it was read as (NULL read as 0 or "",
// as the readers do). A QString value is a text, any other a number.
db::Where stillAsLoaded(const QString& keyColumn, qint64 key, const db::FieldValues& loaded);

} // namespace receipt
