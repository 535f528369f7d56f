#pragma once

#include "foundation/Settings.h"

namespace kalmora {

// True while the admin database in the system data directory lists no department, that is before the
// first import. The database is open only for the look. Throws StorageError, with a German message
// that names the file, when the database is missing or cannot be read.
bool AdminListsNoDepartment(const Settings& settings);

}  // namespace kalmora
