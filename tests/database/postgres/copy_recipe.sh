#!/usr/bin/env bash
# The README's recipe for a PostgreSQL copy of a database, run as written on the demo database
# against the test cluster: the program exports the same bytes from the copy as from the
# original.   copy_recipe.sh STATE LUMBROOK SCHEMA_DIR WORK_DIR
set -euo pipefail
state=$1 lumbrook=$2 schema=$3 work=$4
port=$(sed -n 's/^port=//p' "$state/cluster.env")
export PGHOST=127.0.0.1 PGPORT=$port PGUSER=$(sed -n 's/^user=//p' "$state/cluster.env")
export PGPASSWORD=$(sed -n 's/^password=//p' "$state/cluster.env")
export PGOPTIONS="-c client_min_messages=warning"
rm -rf "$work" && mkdir -p "$work" && cd "$work"
psql -q -X -d postgres -c "DROP DATABASE IF EXISTS recipe" -c "CREATE DATABASE recipe" >/dev/null
"$lumbrook" demo-db lab.sqlite >/dev/null

# The recipe (README, "Connecting to the instrument's Oracle database"), with the schema from
# the source tree instead of /usr/share/lumbrook/schema.
psql -q -X -v ON_ERROR_STOP=1 -d recipe -f "$schema/postgresql.sql" -f "$schema/views.sql" >/dev/null
for table in FOLDER_OBJECT SPOT JOB_RUN JOB_RUN_ITEM PEAK_LIST PEAK; do
    sqlite3 -header -csv lab.sqlite "SELECT * FROM $table" |
        psql -q -X -v ON_ERROR_STOP=1 -d recipe -c "\copy $table FROM STDIN WITH (FORMAT csv, HEADER)"
done

cat >odbc.ini <<INI
[RECIPE]
Driver=PostgreSQL Unicode
Servername=127.0.0.1
Port=$port
Database=recipe
INI
export ODBCINI=$work/odbc.ini ODBCSYSINI=$state XDG_CONFIG_HOME=$work/config
copy="Provider=MSDASQL;DSN=RECIPE;UID=$PGUSER;PWD=$PGPASSWORD"
"$lumbrook" export -q -c "Provider=SQLite;Data Source=$work/lab.sqlite" --job-run 12 -o original.qpk
"$lumbrook" export -q -c "$copy" --job-run 12 -o copy.qpk
cmp original.qpk copy.qpk
"$lumbrook" list spot-sets -c "Provider=SQLite;Data Source=$work/lab.sqlite" >original.txt
"$lumbrook" list spot-sets -c "$copy" >copy.txt
cmp original.txt copy.txt
psql -q -X -d postgres -c "DROP DATABASE recipe" >/dev/null
echo "copy_recipe: the copy exports and lists as the original"
