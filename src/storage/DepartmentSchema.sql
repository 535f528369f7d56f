-- Department database (and its template): one database per ICU department.
-- Text fields hold blank-padded text of the stated width; the checks keep writers honest.
-- Index names are table-qualified where several tables of one file share a name.
PRAGMA user_version = 1;

CREATE TABLE "Gesamt - Patientenadministration" (
    "KA_ID" VARCHAR(4) CHECK (length("KA_ID") <= 4),
    "ICU_FUN_ID" VARCHAR(6) CHECK (length("ICU_FUN_ID") <= 6),
    "ICU_FUN_SID" VARCHAR(2) CHECK (length("ICU_FUN_SID") <= 2),
    "KIS_ID" VARCHAR(10) NOT NULL CHECK (length("KIS_ID") <= 10),
    "DOB" VARCHAR(8) NOT NULL CHECK (length("DOB") <= 8),
    "ADM_DATE" VARCHAR(12) NOT NULL CHECK (length("ADM_DATE") <= 12),
    "DIS_DATE" VARCHAR(12) CHECK (length("DIS_DATE") <= 12),
    "DIS_YEARMONTH" VARCHAR(6) CHECK (length("DIS_YEARMONTH") <= 6),
    "BD" VARCHAR(5) CHECK (length("BD") <= 5),
    "STUNDEN" VARCHAR(2) CHECK (length("STUNDEN") <= 2),
    "Alter" VARCHAR(3) CHECK (length("Alter") <= 3),
    "ICU_OUTCOME" VARCHAR(1) CHECK (length("ICU_OUTCOME") <= 1),
    "TYP" VARCHAR(3) CHECK (length("TYP") <= 3),
    "FLAG" VARCHAR(1) CHECK (length("FLAG") <= 1),
    "Satzart_1" INTEGER,
    "Satzart_3" INTEGER
);

CREATE UNIQUE INDEX "Gesamt - Patientenadministration.PrimaryKey" ON "Gesamt - Patientenadministration" ("KIS_ID", "DOB", "ADM_DATE");
CREATE INDEX "KIS_ID_Index" ON "Gesamt - Patientenadministration" ("KIS_ID");
CREATE INDEX "DOB_Index" ON "Gesamt - Patientenadministration" ("DOB");
CREATE INDEX "KIS_ID_DOB_Index" ON "Gesamt - Patientenadministration" ("KIS_ID", "DOB");

CREATE TABLE "Satzart 1 - Patientenadministration Intensiv" (
    "QUALIFIER" VARCHAR(1) CHECK (length("QUALIFIER") <= 1),
    "KA_ID" VARCHAR(4) CHECK (length("KA_ID") <= 4),
    "ICU_FUN_ID" VARCHAR(6) CHECK (length("ICU_FUN_ID") <= 6),
    "ICU_FUN_SID" VARCHAR(2) CHECK (length("ICU_FUN_SID") <= 2),
    "KIS_ID" VARCHAR(10) NOT NULL CHECK (length("KIS_ID") <= 10),
    "DOB" VARCHAR(8) NOT NULL CHECK (length("DOB") <= 8),
    "ADM_DATE" VARCHAR(12) NOT NULL CHECK (length("ADM_DATE") <= 12),
    "DIS_DATE" VARCHAR(12) CHECK (length("DIS_DATE") <= 12),
    "ICU_OUTCOME" VARCHAR(1) CHECK (length("ICU_OUTCOME") <= 1),
    "HOSP_DIS_DATE" VARCHAR(8) CHECK (length("HOSP_DIS_DATE") <= 8),
    "HOSP_MORT" VARCHAR(1) CHECK (length("HOSP_MORT") <= 1)
);

CREATE UNIQUE INDEX "Satzart 1 - Patientenadministration Intensiv.PrimaryKey" ON "Satzart 1 - Patientenadministration Intensiv" ("KIS_ID", "DOB", "ADM_DATE");

CREATE TABLE "Satzart 3 - TISS28" (
    "QUALIFIER" VARCHAR(1) CHECK (length("QUALIFIER") <= 1),
    "KA_ID" VARCHAR(4) CHECK (length("KA_ID") <= 4),
    "ICU_FUN_ID" VARCHAR(6) CHECK (length("ICU_FUN_ID") <= 6),
    "ICU_FUN_SID" VARCHAR(2) CHECK (length("ICU_FUN_SID") <= 2),
    "KIS_ID" VARCHAR(10) NOT NULL CHECK (length("KIS_ID") <= 10),
    "DOB" VARCHAR(8) NOT NULL CHECK (length("DOB") <= 8),
    "ADM_DATE" VARCHAR(12) NOT NULL CHECK (length("ADM_DATE") <= 12),
    "REC_DATE" VARCHAR(8) NOT NULL CHECK (length("REC_DATE") <= 8),
    "T28_STAND_MON" VARCHAR(1) CHECK (length("T28_STAND_MON") <= 1),
    "T28_LAB" VARCHAR(1) CHECK (length("T28_LAB") <= 1),
    "T28_S_MED" VARCHAR(1) CHECK (length("T28_S_MED") <= 1),
    "T28_M_MED" VARCHAR(1) CHECK (length("T28_M_MED") <= 1),
    "T28_R_DRESS" VARCHAR(1) CHECK (length("T28_R_DRESS") <= 1),
    "T28_F_DRESS" VARCHAR(1) CHECK (length("T28_F_DRESS") <= 1),
    "T28_DRAIN" VARCHAR(1) CHECK (length("T28_DRAIN") <= 1),
    "T28_MECH_VENT" VARCHAR(1) CHECK (length("T28_MECH_VENT") <= 1),
    "T28_SUPP_VENT" VARCHAR(1) CHECK (length("T28_SUPP_VENT") <= 1),
    "T28_TUBUS" VARCHAR(1) CHECK (length("T28_TUBUS") <= 1),
    "T28_LUNG" VARCHAR(1) CHECK (length("T28_LUNG") <= 1),
    "T28_S_VASODR" VARCHAR(1) CHECK (length("T28_S_VASODR") <= 1),
    "T28_M_VASODR" VARCHAR(1) CHECK (length("T28_M_VASODR") <= 1),
    "T28_L_FLUID" VARCHAR(1) CHECK (length("T28_L_FLUID") <= 1),
    "T28_ART" VARCHAR(1) CHECK (length("T28_ART") <= 1),
    "T28_PCL" VARCHAR(1) CHECK (length("T28_PCL") <= 1),
    "T28_CVL" VARCHAR(1) CHECK (length("T28_CVL") <= 1),
    "T28_CPR" VARCHAR(1) CHECK (length("T28_CPR") <= 1),
    "T28_RENAL" VARCHAR(1) CHECK (length("T28_RENAL") <= 1),
    "T28_URINARY" VARCHAR(1) CHECK (length("T28_URINARY") <= 1),
    "T28_ACT_DIU" VARCHAR(1) CHECK (length("T28_ACT_DIU") <= 1),
    "T28_ICP" VARCHAR(1) CHECK (length("T28_ICP") <= 1),
    "T28_MET_SUPP" VARCHAR(1) CHECK (length("T28_MET_SUPP") <= 1),
    "T28_NUT_ENT" VARCHAR(1) CHECK (length("T28_NUT_ENT") <= 1),
    "T28_NUT_PARENT" VARCHAR(1) CHECK (length("T28_NUT_PARENT") <= 1),
    "T28_S_INT" VARCHAR(1) CHECK (length("T28_S_INT") <= 1),
    "T28_M_INT" VARCHAR(1) CHECK (length("T28_M_INT") <= 1),
    "T28_DIAG_EX_ICU" VARCHAR(1) CHECK (length("T28_DIAG_EX_ICU") <= 1),
    "T28_SCORE" VARCHAR(3) CHECK (length("T28_SCORE") <= 3),
    "STUNDEN" VARCHAR(2) CHECK (length("STUNDEN") <= 2)
);

CREATE UNIQUE INDEX "Satzart 3 - TISS28.PrimaryKey" ON "Satzart 3 - TISS28" ("KIS_ID", "DOB", "ADM_DATE", "REC_DATE");

CREATE TABLE "Satzart 3 - TISS28 TEMP" (
    "QUALIFIER" VARCHAR(1) CHECK (length("QUALIFIER") <= 1),
    "KIS_ID" VARCHAR(10) CHECK (length("KIS_ID") <= 10),
    "DOB" VARCHAR(8) CHECK (length("DOB") <= 8),
    "REC_DATE" VARCHAR(8) CHECK (length("REC_DATE") <= 8),
    "T28_SCORE" VARCHAR(3) CHECK (length("T28_SCORE") <= 3),
    "STUNDEN" VARCHAR(2) CHECK (length("STUNDEN") <= 2)
);

-- A stay owns its records: deleting the stay deletes them.
CREATE TRIGGER "Gesamt - Patientenadministration.Cascade" AFTER DELETE ON "Gesamt - Patientenadministration"
BEGIN
    DELETE FROM "Satzart 1 - Patientenadministration Intensiv"
     WHERE "KIS_ID" = OLD."KIS_ID" AND "DOB" = OLD."DOB" AND "ADM_DATE" = OLD."ADM_DATE";
    DELETE FROM "Satzart 3 - TISS28"
     WHERE "KIS_ID" = OLD."KIS_ID" AND "DOB" = OLD."DOB" AND "ADM_DATE" = OLD."ADM_DATE";
END;
