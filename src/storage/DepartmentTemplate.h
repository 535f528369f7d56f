#pragma once

#include <filesystem>

namespace kalmora {

class Database;

// The department template of the system data directory `systemDirectory`, whose admin database is
// `admin`, checked like a department database and for holding no row (or remembered as such). A
// template that is missing or fails is made anew from the schema the program carries, in one step,
// and the diagnostic log says so: whatever a damaged or filled template holds would appear in every
// department made from it. The caller holds the system data lock. Throws StorageError when no sound
// template can be made.
std::filesystem::path SoundTemplate(Database& admin, const std::filesystem::path& systemDirectory);

}  // namespace kalmora
