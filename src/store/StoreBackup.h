#pragma once

#include "store/StoreError.h"

#include <string>

namespace parcelo {

class CShipmentDatabase;

// Backup and restore of the shipment store as a whole file, while the program runs.
//
// A backup is SQLite's online backup of the store: a consistent copy even while another
// program writes to it, written beside the target first, synced and renamed over it.
//
// A restore first checks a copy of the chosen file (which it never writes to): an SQLite
// database, sound by integrity_check, of a schema version this program opens (an older
// one is brought up to date by the normal open), holding the shipment table. Then it keeps
// the current store as "<store>.bak" (online backup), and replaces the store by renaming
// the checked copy over it: a crash at any moment leaves either the old store or the new
// one, whole.
class StoreBackup {
public:
    // Writes a copy of the store that `store` has mounted to `target`. Refuses a target
    // that is the store itself or one of its side files, or that is not a regular file.
    static StoreError BackUp(const CShipmentDatabase& store, const std::string& target);

    // Whether `file` could be restored: None, NotFound (no such file), Foreign (not a
    // regular file, or a database without shipments), Damaged (not an SQLite database,
    // or not sound), TooNew (written by a newer program), Io.
    static StoreError Check(const std::string& file);

    // Replaces the store of `store` with `file`, after the checks of Check, and opens it
    // again (migrating an older schema). The connection of `store` is closed meanwhile.
    // Busy when another program has the store open: it is then left as it was.
    static StoreError Restore(CShipmentDatabase& store, const std::string& file);

    // The name of the copy of the store that Restore keeps.
    static std::string KeptCopyOf(const std::string& storeFile) { return storeFile + ".bak"; }
};

} // namespace parcelo
