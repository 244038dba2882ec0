#!/usr/bin/env bash
# The operator's kit against a server of its own, started empty: init sets it
# up, again changes nothing, refuses a newer schema untouched, and brings a
# server set up by the plain server/ files (no version recorded) up to the kit
# with its data kept; the plug-in connects through it.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../host/scenario_lib.sh"
WORK=$(mktemp -d)
export VELMORA_RUN_DIR="$VELMORA_RUN_DIR/kit" VELMORA_DEMO_SIZE=none
cleanup() { scripts/dbserver stop >/dev/null 2>&1; rm -rf "$WORK" "$VELMORA_RUN_DIR"; }
trap cleanup EXIT
rm -rf "$VELMORA_RUN_DIR"
scripts/dbserver start >>"$LOG" 2>&1 || { fail "an empty server starts" "$(tail -5 "$LOG")"; summary; exit; }
eval "$(scripts/dbserver env)"
# The server's own superuser comes in through the socket, as root does on
# a fresh Debian server; the admin account gets the operator's password.
init() { env -u VELMORA_DB_PORT "$ADMIN" init --as "$(id -un)" --admin-password 'op-Secret1' 2>&1; }
export VELMORA_DB_ADMIN_PASSWORD='op-Secret1'
# What init may change: every table's definition and rows, the routines with
# their creation times, the accounts' rights, the recorded version.
fingerprint() {
  superuser "SELECT TABLE_NAME FROM information_schema.TABLES WHERE TABLE_SCHEMA='db_amiplugin' ORDER BY 1" |
    while read -r t; do superuser "SHOW CREATE TABLE db_amiplugin.$t; CHECKSUM TABLE db_amiplugin.$t"; done
  superuser "SELECT ROUTINE_NAME, CREATED, LAST_ALTERED FROM information_schema.ROUTINES ORDER BY 1;
             SELECT User, Host, authentication_string FROM mysql.user WHERE User LIKE 'velmora%' ORDER BY 1, 2"
  for a in "'velmora_plugin'@'%'" "'velmora_admin'@'localhost'"; do superuser "SHOW GRANTS FOR $a"; done
}

echo "== init on an empty server, then again"
out=$(init); rc=$?
expect "init sets up the schema, procedures and accounts (exit $rc)" "init: done: schema version 2" "$out"
before=$(fingerprint)
out=$(init)
expect "init again: nothing to change" "init: nothing to change: schema version 2" "$out"
check "init again leaves tables, rows, routines and rights as they were" "$before" "$(fingerprint)"

echo "== a server newer than the kit"
superuser "UPDATE db_amiplugin.NVKit SET SchemaVersion = 3"
before=$(fingerprint)
out=$(init); rc=$?
if [ $rc -ne 0 ] && grep -q "version 3, newer than this kit's 2" <<<"$out" && [ "$before" = "$(fingerprint)" ]; then
  pass "refused with the two versions, nothing changed"
else fail "a newer server (exit $rc)" "$out"; fi

echo "== a server set up by the server/ files, with data"
superuser "DROP DATABASE db_amiplugin; DROP USER velmora_admin@'%', velmora_admin@localhost, velmora_plugin@'%', velmora_plugin@localhost"
for f in schema procedures accounts; do
  mariadb --no-defaults --socket="$VELMORA_DB_SOCKET" -u "$(id -un)" <server/$f.sql || fail "loading server/$f.sql"
done
superuser "INSERT INTO db_amiplugin.NVEod VALUES ('KIT', '2025-10-31', 1, 2, 0.5, 1.5, 100, 1.5)"
export VELMORA_CLIENT_ID=velmora-kit-test
out=$(init)
expect "init upgrades it: the version recorded" "recorded schema version 2 (was none)" "$out"
expect "its rows are kept" "1" "$(superuser "SELECT COUNT(*) FROM db_amiplugin.NVEod WHERE Ticker='KIT'")"
"$ADMIN" session "$VELMORA_CLIENT_ID" --user Kit --email kit@velmora.example --permit 1 >>"$LOG" 2>&1 ||
  fail "velmora-admin registers an installation with the new password" "$(tail -3 "$LOG")"
write_settings "$WORK" 1
status=$(VELMORA_REGISTRY_DIR="$WORK" "$HOST" status 2>>"$LOG")
expect "the plug-in connects through the upgraded server" "Status:        Conn (colour #00FF00" "$status"

summary
