// Faults of the database engine's file access that a test may ask for, as a disk or a network file
// system shows them: "fail-unlock=<name>" in KALMORA_SIMULATE_FAULTS makes the engine's giving up of
// its write lock on the database <name> fail after it is given up (which an interrupted lock call of
// a network file system does). Without the variable every file is opened as the engine opens it.
#include "storage/SimulatedEngineFaults.h"

#include "foundation/Platform.h"
#include "foundation/Utf8Path.h"

#include <sqlite3.h>

namespace kalmora {

namespace {

sqlite3_vfs* g_system = nullptr;
const sqlite3_io_methods* g_systemMethods = nullptr;
sqlite3_io_methods g_failingMethods{};
sqlite3_vfs g_faults{};

int UnlockThenFail(sqlite3_file* file, int lock)
{
    const int result = g_systemMethods->xUnlock(file, lock);
    // Back to a shared lock is how a write transaction ends.
    if (result != SQLITE_OK || lock != SQLITE_LOCK_SHARED) return result;
    return SQLITE_IOERR_UNLOCK;
}

int OpenWithFaults(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* file, int flags, int* outFlags)
{
    const int result = g_system->xOpen(g_system, name, file, flags, outFlags);
    if (result != SQLITE_OK || name == nullptr || file->pMethods == nullptr || (flags & SQLITE_OPEN_MAIN_DB) == 0) {
        return result;
    }
    if (!platform::OperationFailureSimulated("unlock", PathFromUtf8(name))) return result;
    if (g_systemMethods == nullptr) {
        g_systemMethods = file->pMethods;
        g_failingMethods = *file->pMethods;
        g_failingMethods.xUnlock = &UnlockThenFail;
    }
    if (file->pMethods == g_systemMethods) file->pMethods = &g_failingMethods;
    return result;
}

}  // namespace

void RegisterSimulatedEngineFaults()
{
    g_system = sqlite3_vfs_find(nullptr);
    if (g_system == nullptr) return;
    g_faults = *g_system;
    g_faults.zName = "kalmora-faults";
    g_faults.xOpen = &OpenWithFaults;
    sqlite3_vfs_register(&g_faults, 1);
}

}  // namespace kalmora
