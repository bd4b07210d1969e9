-- The tables of a 4000 Series database, for PostgreSQL; views.sql adds the two views over them.
--
-- Base tables: folders and spot sets (FOLDER_OBJECT), spots, job runs, job run items, peak
-- lists and peaks. The program reads FOLDER_OBJECT and the two views; the views give the
-- column names and values that the export and the browser rely on.
--
-- Every statement ends with a semicolon at the end of a line; the loaders split there.

-- Folders (OBJECT_TYPE 2) and spot sets (OBJECT_TYPE 6) in one tree; other object types
-- may exist and are never shown. Folder 2 is the top of the project folders.
CREATE TABLE FOLDER_OBJECT (
    FOLDER_OBJECT_ID INTEGER NOT NULL PRIMARY KEY,
    PARENT_FOLDER_ID INTEGER REFERENCES FOLDER_OBJECT (FOLDER_OBJECT_ID),
    NAME VARCHAR(200) NOT NULL,
    OBJECT_TYPE INTEGER NOT NULL,
    IS_UPDATEABLE INTEGER NOT NULL DEFAULT 1
);
-- The browser lists a folder's children by parent, sorted by name.
CREATE INDEX FOLDER_OBJECT_PARENT ON FOLDER_OBJECT (PARENT_FOLDER_ID, NAME);

-- One spot of a spot set (a position on a sample plate).
CREATE TABLE SPOT (
    SPOT_ID INTEGER NOT NULL PRIMARY KEY,
    SPOT_SET_ID INTEGER NOT NULL REFERENCES FOLDER_OBJECT (FOLDER_OBJECT_ID),
    SPOT_LABEL VARCHAR(200) NOT NULL,
    SPOT_NAME VARCHAR(200),
    SPOT_TYPE VARCHAR(200)
);
CREATE INDEX SPOT_SPOT_SET ON SPOT (SPOT_SET_ID);

-- One acquisition job on a spot set, in one operating mode ("MS ...", "MS-MS ...").
CREATE TABLE JOB_RUN (
    JOB_RUN_ID INTEGER NOT NULL PRIMARY KEY,
    SPOT_SET_ID INTEGER NOT NULL REFERENCES FOLDER_OBJECT (FOLDER_OBJECT_ID),
    OPMODE_NAME VARCHAR(200) NOT NULL,
    JOB_SUBMIT_TIME TIMESTAMP,
    JOB_START_TIME TIMESTAMP,
    JOB_FINISH_TIME TIMESTAMP
);
CREATE INDEX JOB_RUN_SPOT_SET ON JOB_RUN (SPOT_SET_ID);

-- One spot measured by one job run; an MS/MS item has the precursor it fragmented.
-- JOB_RUN_NUMERIC_STATUS 9 marks a completed item.
CREATE TABLE JOB_RUN_ITEM (
    JOB_RUN_ITEM_ID INTEGER NOT NULL PRIMARY KEY,
    JOB_RUN_ID INTEGER NOT NULL REFERENCES JOB_RUN (JOB_RUN_ID),
    SPOT_ID INTEGER NOT NULL REFERENCES SPOT (SPOT_ID),
    PRECURSOR_MASS NUMERIC(12, 5),
    ACQ_STATUS VARCHAR(200),
    PROC_STATUS VARCHAR(200),
    INTERP_STATUS VARCHAR(200),
    JOB_RUN_NUMERIC_STATUS INTEGER NOT NULL
);
CREATE INDEX JOB_RUN_ITEM_JOB_RUN ON JOB_RUN_ITEM (JOB_RUN_ID);

-- The peak list of an item (an item may have more than one).
CREATE TABLE PEAK_LIST (
    PEAK_LIST_ID INTEGER NOT NULL PRIMARY KEY,
    JOB_RUN_ITEM_ID INTEGER NOT NULL REFERENCES JOB_RUN_ITEM (JOB_RUN_ITEM_ID)
);
CREATE INDEX PEAK_LIST_ITEM ON PEAK_LIST (JOB_RUN_ITEM_ID);

-- One peak of a peak list. The primary key's index serves the export's range query over
-- PEAK_LIST_ID. Masses are numeric, so that ROUND(PRECURSOR_MASS,3) works as on Oracle.
CREATE TABLE PEAK (
    PEAK_LIST_ID INTEGER NOT NULL REFERENCES PEAK_LIST (PEAK_LIST_ID),
    PEAK_NUMBER INTEGER NOT NULL,
    CENTROID NUMERIC(12, 5) NOT NULL,
    AREA DOUBLE PRECISION,
    SIGNAL_TO_NOISE DOUBLE PRECISION,
    ISOTOPIC_FLAG INTEGER NOT NULL,
    APEX DOUBLE PRECISION,
    PRIMARY KEY (PEAK_LIST_ID, PEAK_NUMBER)
);
