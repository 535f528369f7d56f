-- Admin database: the registered departments and the reference names of hospitals and departments.
-- Text fields hold blank-padded text of the stated width; the checks keep writers honest.
PRAGMA user_version = 1;

CREATE TABLE "Dateiverwaltung" (
    "KANR"          VARCHAR(4)  NOT NULL CHECK (length("KANR") <= 4),
    "ABTEILUNG"     VARCHAR(8)  NOT NULL CHECK (length("ABTEILUNG") <= 8),
    "MDB_DATEI"     VARCHAR(12) CHECK (length("MDB_DATEI") <= 12),
    "SBETT"         DOUBLE,
    "DGKP"          DOUBLE,
    "Status"        VARCHAR(6)  CHECK (length("Status") <= 6),
    "VOREINSTUFUNG" VARCHAR(2)  CHECK (length("VOREINSTUFUNG") <= 2)
);
CREATE UNIQUE INDEX "PrimaryKey" ON "Dateiverwaltung" ("KANR", "ABTEILUNG");
CREATE INDEX "MDBIndex" ON "Dateiverwaltung" ("MDB_DATEI");

CREATE TABLE "KANR-Bezeichnung" (
    "KANR"        VARCHAR(4) NOT NULL CHECK (length("KANR") <= 4),
    "BEZEICHNUNG" TEXT
);
CREATE UNIQUE INDEX "KA" ON "KANR-Bezeichnung" ("KANR");

CREATE TABLE "ABT-Bezeichnung" (
    "ABTEILUNG"   VARCHAR(6) NOT NULL CHECK (length("ABTEILUNG") <= 6),
    "BEZEICHNUNG" TEXT
);
CREATE UNIQUE INDEX "Abteilung" ON "ABT-Bezeichnung" ("ABTEILUNG");
