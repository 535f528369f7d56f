-- Admin database: the version of each file of the system data directory that last passed the full
-- check, so that an unchanged file is not checked again. Made on first use; older admin databases
-- gain it then.
CREATE TABLE IF NOT EXISTS "VerifiedFiles" (
    "FILE"           TEXT    NOT NULL PRIMARY KEY,
    "DEVICE"         INTEGER NOT NULL,
    "INODE"          INTEGER NOT NULL,
    "SIZE"           INTEGER NOT NULL,
    "MODIFIED_NS"    INTEGER NOT NULL,
    "CHANGE_COUNTER" INTEGER NOT NULL,
    -- 1: the version an import put in place of the file's previous version, which it kept beside as
    -- "<file>.old" until the new one was in place.
    "PLACED"         INTEGER NOT NULL DEFAULT 0
);
