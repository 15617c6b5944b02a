#pragma once
#include "db/Connection.h"

// What a CalvaneConnection* points to: the host's counted reference to the database.
struct CalvaneConnection {
    db::ConnectionPtr connection;
};
