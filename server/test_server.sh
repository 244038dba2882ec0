#!/usr/bin/env bash
# Tests of the data server, against a running private server (scripts/dbserver start, the small demo set).
# The plug-in's side goes over ODBC, through the driver registered in $ODBCSYSINI, as the plug-in's account,
# with STATEMENTS.md's statements. Ends with "N passed, N failed"; test rows of its own are removed at the end.
set -uo pipefail
HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$HERE/../host/scenario_lib.sh"
PY=/usr/bin/python3 Q="$HERE/odbc_query.py" A="$HERE/velmora-admin" DOC="$HERE/STATEMENTS.md"
TMP="$(mktemp -d)" TID="vtest-$$" ZT="ZZT$$"   # this run's client id and ticker
cleanup() {
    "$A" sql "DELETE FROM NVSession WHERE ClientID LIKE 'vtest-%' OR ClientID=''; DELETE FROM NVEod WHERE Ticker LIKE 'ZZ%';
              DELETE FROM NVIntraday WHERE Ticker LIKE 'ZZ%'; DELETE FROM NVRealtime WHERE Code IN ('bbca') OR Code LIKE 'ZZ%';" >/dev/null 2>&1
    rm -rf "$TMP"; }
trap cleanup EXIT

# q STATEMENT... [--types T] [--password P]: the statements over ODBC on one
# connection, as the plug-in's account; sets OUT, ERR, RC.
q() { OUT="$("$Q" "$@" 2>"$TMP/err")"; RC=$?; ERR="$(<"$TMP/err")"; }
refused() { if [ "$RC" -ne 0 ] && [[ "$ERR" =~ $2 ]]; then pass "$1"; else fail "$1" "rc $RC: ${ERR:-accepted}"; fi; }
admin() { "$A" "$@" 2>"$TMP/aerr"; }
asql() { admin sql "$1"; }
mk() { local f="$TMP/$1"; shift; printf '%s\n' "$@" >"$f"; echo "$f"; }   # name, lines: the file
# Entry NAME of STATEMENTS.md: its template (the sql block's first line), or with "cols" its columns as "a,b,c".
template() { awk -v want="### $1" -v cols="${2:-}" '$0 == want { f = 1; next } f && !cols && /^```sql/ { getline; print; exit }
    f && cols && /^Columns:/ { sub(/^Columns: */, ""); gsub(/, */, ","); print; exit }' "$DOC"; }
# Entry NAME filled printf-style after checking that it holds exactly the
# placeholders given and no other '%'.
doc() {
    local tpl kinds="$2" found rest; tpl="$(template "$1")"; shift 2
    found="$(grep -o '%[sd]' <<<"$tpl" | tr -d '%\n')"; rest="${tpl//%s/}"; rest="${rest//%d/}"
    if [ "$found" != "$kinds" ] || [[ "$rest" == *%* ]]; then
        echo "BAD-TEMPLATE placeholders '$found', expected '$kinds'"; return 1; fi
    printf -- "$tpl" "$@"; }
col_names() { head -n 1 <<<"$OUT" | tr '\t' ','; }
row_count() { if [ -z "$OUT" ]; then echo 0; else echo $(( $(wc -l <<<"$OUT") - 1 )); fi; }
column() { tail -n +2 <<<"$OUT" | cut -f"$1"; }

# The select lists as STATEMENTS.md gives them (statements_test.cpp holds the plug-in's to them).
EOD_LIST="$(sed -n 's/^- daily: `\(.*\)`$/\1/p' "$DOC")"
INTRA_LIST="$(sed -n 's/^- intraday: `\(.*\)`$/\1/p' "$DOC")"
RT_LIST="$(sed -n 's/^`\(Code,[^`]*\)`,$/\1/p' "$DOC")"

echo "== ODBC driver registration"
mkdir -p "$TMP/noodbc"
expect "without our odbcinst.ini the driver name is unknown (the registration is what works)" \
    "Can't open lib 'MySQL ODBC 3.51 Driver'" "$(ODBCSYSINI="$TMP/noodbc" "$Q" "Select 1" 2>&1)"
q "Select 1" --password wrong
refused "a wrong password is refused" "Access denied"

echo "== plug-in account rights"
declare -A KEYCOL=([NVConfig]=id [NVSession]=ClientID [NVMarket]=id [NVEod]=Ticker [NVIntraday]=Ticker
    [NVRealtime]=Code [nvquotes_235]=Ticker [nvcategory_group]=GroupID [NVSectors]=SSCode [NVCallLog]=id [NVMessageLog]=id)
ALL_TABLES="$(printf '%s\n' "${!KEYCOL[@]}" | LC_ALL=C sort | paste -sd,)"
sums() { asql "CHECKSUM TABLE $ALL_TABLES"; }
check "the schema holds exactly the expected tables" "$ALL_TABLES" "$(asql "SELECT TABLE_NAME FROM information_schema.TABLES WHERE TABLE_SCHEMA='db_amiplugin'" | LC_ALL=C sort | paste -sd,)"
no_pk="$(asql "SELECT GROUP_CONCAT(t.TABLE_NAME) FROM information_schema.TABLES t WHERE t.TABLE_SCHEMA='db_amiplugin' AND (t.ENGINE<>'InnoDB' OR NOT EXISTS (SELECT 1 FROM information_schema.TABLE_CONSTRAINTS c WHERE c.TABLE_SCHEMA=t.TABLE_SCHEMA AND c.TABLE_NAME=t.TABLE_NAME AND c.CONSTRAINT_TYPE='PRIMARY KEY'))")"
check "every table is InnoDB with a primary key" "NULL" "$no_pk"
# pattern, statements...: those not refused with the pattern in the message go to $wrong.
denied() { local pat="$1" sql; shift; for sql; do q "$sql"
    [ "$RC" -ne 0 ] && [[ "$ERR" == *"$pat"* ]] || wrong+=("$sql -> rc $RC ${ERR:-accepted}"); done; }
wrong=()
for t in "${!KEYCOL[@]}"; do c="${KEYCOL[$t]}" T="db_amiplugin.$t"
    denied "command denied" "Insert Into $T () Values ()" "Update $T Set $c=$c Where 1=0" "Delete From $T Where 1=0" \
        "Drop Table $T" "Alter Table $T Comment='x'" "Truncate Table $T"; done
check "INSERT, UPDATE, DELETE, DROP, ALTER, TRUNCATE refused on all 11 tables" "" "$(printf '%s\n' "${wrong[@]}")"
wrong=()
denied denied "Select * From db_amiplugin.NVCallLog" "Select * From db_amiplugin.NVMessageLog" "Select User From mysql.user" \
    "Create Database velmora_other" "Create Table db_amiplugin.NVExtra (id Int Primary Key)" "Select db_amiplugin.NVQuoteArg('x')" \
    "Grant Select On db_amiplugin.NVCallLog To velmora_plugin@'%'" "Create Or Replace View db_amiplugin.NVPeek As Select 1"
check "no access to the logs, other databases, new objects or grants" "" "$(printf '%s\n' "${wrong[@]}")"

echo "== injected tickers, bounded by the server"
# The plug-in puts a ticker into its bar and real-time statements unescaped.
# Whatever the ticker holds, the account reads nothing outside its grants
# and holds no statement past its MAX_STATEMENT_TIME (5 s).
inject() { # description, refusal pattern, STATEMENTS.md entry, kinds, arguments...
    local desc="$1" pat="$2" t0 ms; shift 2
    t0=$(date +%s%N); q "$(doc "$@")"; ms=$(( ($(date +%s%N) - t0) / 1000000 ))
    if [ "$RC" -ne 0 ] && [[ "$ERR" =~ $pat ]] && [ "$ms" -lt 7500 ]; then pass "$desc (${ms} ms)"
    else fail "$desc" "rc $RC after $ms ms: ${ERR:-accepted}"; fi; }
cols19="User$(printf ',%d' $(seq 2 19))"
inject "a semicolon and a DELETE" "syntax|denied" eod-bars sss "$EOD_LIST" "X'; Delete From db_amiplugin.NVEod Where '1'='1" 2015-01-02
inject "UNION over the call log, the rest cut off by --" "denied" eod-bars sss "$EOD_LIST" "X' Union Select Args,1,1,1,1,1,1,1,1,1 From db_amiplugin.NVCallLog -- " 2015-01-02
inject "UNION over mysql.user, the rest cut off by #" "denied" realtime ss "$RT_LIST" "'X') Union Select $cols19 From mysql.user #'"
inject "INTO OUTFILE" "denied" intraday-bars sss "$INTRA_LIST" "X' Into Outfile '$TMP/out' -- " 202510010000
inject "an unterminated /* comment" "syntax" eod-bars sss "$EOD_LIST" "X' Or 1=1 /*" 2015-01-02
inject "SLEEP(60) ends at the account's statement bound" "max_statement_time" realtime ss "$RT_LIST" "'X' Or Sleep(60) Or ''"

echo "== statements of STATEMENTS.md, as the plug-in's account"
# name, placeholder kinds, arguments...: runs the entry (fetching as $TYPES
# says); its result has the columns STATEMENTS.md lists (the names the
# plug-in reads), a call none.
run_doc() {
    local name="$1" want sql; want="$(template "$1" cols)"
    if ! sql="$(doc "$@")"; then fail "$name: $sql" "$(template "$name")"; return; fi
    q "$sql" ${TYPES:+--types "$TYPES"}
    if [ "$RC" -ne 0 ]; then fail "$name runs" "$sql" "$ERR"
    elif [ "$want" != none. ]; then check "$name runs; columns as STATEMENTS.md lists them" "$want" "$(col_names)"
    else check "$name runs and returns no result" "" "$OUT"; fi
}
admin session "$TID" --user "Test User" --email test@velmora.example --permit 1 \
    --last-conn 0 --curr-conn 7 --intraday-start 2025-10-01 >/dev/null
admin clear-calls --messages
run_doc config ""
check "config: one row" 1 "$(row_count)"
run_doc session-query ss "$TID" "$TID"
check "session-query: the record's values" "0|7|1|CloseBidAsk|Bid|Ask|Test User|test@velmora.example|2025-10-01" \
    "$(column 1- | tr '\t' '|')"
asql "INSERT INTO NVSession (ClientID) VALUES ('')" >/dev/null   # what an empty id must not find
for id in "" "${TID^^}"; do
    run_doc session-query ss "$id" "$id"
    check "session-query: ${id:+the client id in capitals}${id:-an empty client id} matches nothing" 0 "$(row_count)"
done

# A session is owned by the server connection that registered it, for as
# long as that connection lasts: the checks of what a call changed run on
# the caller's own connection (the plug-in's account reads NVSession).
HELD="Select LastConnID From NVSession Where ClientID='$TID'"
STATUS="$(doc market-status ss test@velmora.example "$TID")"
REG0="$(doc session-register ssssd "$TID" test@velmora.example 1.2.2.0 32 0)"
values() { grep -v '^[A-Za-z]' <<<"$OUT" | cut -f"$1" | paste -sd' '; }
last_conn() { asql "SELECT LastConnID FROM NVSession WHERE ClientID='$TID'"; }

run_doc session-register ssssd "$TID" test@velmora.example 1.2.2.0 32 0
TYPES="c,f,f,f,f,t,f" run_doc market-status ss test@velmora.example "$TID"
check "market-status: MarketDate reads as a timestamp" "$(asql "SELECT CONCAT(MarketDate,' 00:00:00') FROM NVMarket")" "$(column 6)"

admin session "$TID" --curr-conn 9 >/dev/null
run_doc conn-id ssddd "$TID" test@velmora.example 7 9 5
run_doc disconnect ssd "$TID" test@velmora.example 3
q "$REG0" "$HELD" "$(doc disconnect ssd "$TID" test@velmora.example 3)" "$HELD"
check "disconnect: the owner's disconnect frees the session" "9 0" "$(values 1)"

# Two copies at once: the first holds the session while the second calls.
admin clear-calls
"$Q" "$REG0" "Select Sleep(4) As Held" >/dev/null 2>&1 &
holder=$!
for _ in $(seq 1 40); do [ "$(last_conn)" = 9 ] && break; sleep 0.1; done
q "$(doc disconnect ssd "$TID" test@velmora.example 0)" "$REG0" "$(doc conn-id ssddd "$TID" test@velmora.example 9 12 5)" "$STATUS"
check "another connection's disconnect, registration and conn-id leave the owner's session alone" \
    "9|9" "$(tail -1 <<<"$OUT" | cut -f3-4 | tr '\t' '|')"
check "each of the three is in the call log as not carried out" 3 \
    "$(admin calls | grep -c "^Plugin223_.*('$TID'.*  # not carried out: connection [0-9]* does not own the session, connection [0-9]* does$")"
wait "$holder"
check "once the owning connection has ended, the next connection finds the session free" 0 "$(last_conn)"
check "the freed session is in the call log" 1 \
    "$(admin calls | grep -c "^NVFreeOrphanSessions('$TID')  # session freed: connection [0-9]*, its owner, is gone$")"
admin session "$TID" --last-conn 5 >/dev/null
q "$(doc disconnect ssd "$TID" test@velmora.example 0)" "$HELD"
check "a number set by hand is not given up by a disconnect" 5 "$(values 1)"
admin session "$TID" --last-conn 0 >/dev/null

# Granted number 0: no copy holds the session, so none is refused.
check "velmora-admin says when session control is off" 1 "$(admin session "$TID" --curr-conn 0 | grep -c '^Session control is off for')"
admin clear-calls
"$Q" "$REG0" "Select Sleep(3) As Held" >/dev/null 2>&1 &
holder=$!
sleep 1
q "$REG0" "$HELD"
check "session control off: a second copy's registration beside the first holds nothing, refused by none" \
    "0 0" "$(values 1) $(admin calls | grep -c 'not carried out')"
wait "$holder"
check "velmora-admin is silent once it is on again" 0 "$(admin session "$TID" --curr-conn 9 | grep -c '^Session control is off')"

# A registration that is refused holds nothing, seen on its own connection.
admin clear-calls
q "$(doc session-register ssssd "$TID" test@velmora.example 1.2.2.0 32 2)" "$HELD"
check "register with a refused count returns nothing and holds nothing" "LastConnID 0" "$(paste -sd' ' <<<"$OUT")"
admin session "$TID" --permit 0 >/dev/null
q "$(doc session-register ssssd "$TID" test@velmora.example 1.2.2.0 64 0)" "$HELD"
check "register of a session without permission returns nothing and holds nothing" "LastConnID 0" "$(paste -sd' ' <<<"$OUT")"
run_doc message-log sss "$TID" test@velmora.example "Unable connect to server, 
connection is already in use."
check "message-log: the message reaches the message log" \
    "$TID	test@velmora.example	Unable connect to server, \\nconnection is already in use." "$(admin messages)"
check "calls: every call, oldest first, one a line" \
"Plugin223_Register('$TID','test@velmora.example','1.2.2.0','32',2)
Plugin223_Register('$TID','test@velmora.example','1.2.2.0','64',0)
Plugin223_Log('$TID','test@velmora.example','Unable connect to server, \\nconnection is already in use.')" \
    "$(admin calls)"

LAST="${VELMORA_DEMO_LAST_DATE:-2025-10-31}" BARTYPES="t,f,f,f,f,f,f,f,f,f"
run_doc eod-bars sss "$EOD_LIST" bbca 2015-01-02
check "eod-bars: the ticker compares exactly ('bbca' is not BBCA)" 0 "$(row_count)"
TYPES=$BARTYPES run_doc intraday-bars sss "$INTRA_LIST" BBCA "${LAST//-/}1545"
check "intraday-bars: 12-digit start point, that minute included" "$(printf "$LAST 15:4%d:00\n" 5 6 7 8 9)" "$(column 1)"
run_doc intraday-bars sss "$INTRA_LIST" BBCA "${LAST//-/}154601"
check "intraday-bars: 14-digit start point with seconds" "$(printf "$LAST 15:4%d:00\n" 7 8 9)" "$(column 1)"

admin load-quotes "$(mk lower.csv "$RT_LIST" "bbca,2025-01-02 09:00:00,1,1,1,1,,,,,,,,,,,,,")" >/dev/null
run_doc realtime ss "$RT_LIST" "'bbca'"
check "realtime: 'bbca' is a row of its own, apart from BBCA, which it leaves alone" "bbca|1|NULL 2" \
    "$(column 1,6,7 | tr '\t' '|') $(asql "SELECT COUNT(*) FROM NVRealtime WHERE Code IN ('bbca','BBCA')")"

run_doc directory-symbols ""
[ "$(row_count)" -ge 30 ] && grep -qP '\tIndices\t' <<<"$OUT" && grep -qx 3 <<<"$(column 4)" &&
    pass "directory-symbols: stocks, indices and other markets" ||
    fail "directory-symbols: stocks, indices and other markets ($(row_count) rows)" "$(head -4 <<<"$OUT")" "$ERR"
run_doc directory-groups ""
run_doc directory-sectors ""
check "directory-sectors: each sector's industries form one run" "" "$(column 2 | uniq | sort | uniq -d)"

echo "== index use of the bar statements"
explain() { q "EXPLAIN $(doc "$@")"; sed -n 2p <<<"$OUT" | awk -F'\t' '{print $9 " " $4 "|" $6 "|" $10}'; }  # rows type|key|Extra
read -r rows_est plan <<<"$(explain eod-bars sss "$EOD_LIST" BBCA 2015-01-02)"
check "eod-bars: a range of the primary key, no sort" "range|PRIMARY|Using where" "$plan"
check "intraday-bars: a range of (Ticker, TrStamp), no sort" "range|ux_intraday_stamp|Using where" \
    "$(explain intraday-bars sss "$INTRA_LIST" BBCA 202510010000 | cut -d' ' -f2-)"
read -r ticker_rows total_rows <<<"$(asql "SELECT SUM(Ticker='BBCA'), COUNT(*) FROM NVEod")"
check "eod-bars: the estimate covers one ticker ($rows_est of $total_rows rows, the ticker's $ticker_rows)" 1 \
    "$(( ${rows_est:-total_rows} <= ticker_rows * 2 && ${rows_est:-total_rows} < total_rows ))"

echo "== velmora-admin loads"
HDR="Ticker,Date,Time,Open,High,Low,Close,Volume,AdjClose"
admin load-bars --daily --lenient "$(mk good.csv "$HDR" "$ZT,2024-03-04,,100,110,90,105,0,105" "$ZT,2024-03-05,,101.5,111,91,111,," "$ZT,2024-03-06,,101.5,111,91,91,50,0")" >/dev/null
check "load-bars --lenient: a row without volume and adjusted close loads them as NULL" \
    "2024-03-04|100|110|90|105|0|105 2024-03-05|101.5|111|91|111|NULL|NULL 2024-03-06|101.5|111|91|91|50|0" \
    "$(asql "SELECT TrDate,Open,High,Low,Close,Volume,AdjClose FROM NVEod WHERE Ticker='$ZT' ORDER BY TrDate" | tr '\t\n' '| ' | sed 's/ $//')"
admin load-bars --daily "$(mk again.csv "$HDR" "$ZT,2024-03-05,,1,2,0.5,1.5,10,1.25")" >/dev/null
check "load-bars: a reload replaces the row of the same key" "3 1.25" \
    "$(asql "SELECT COUNT(*), MAX(IF(TrDate='2024-03-05',AdjClose,NULL)) FROM NVEod WHERE Ticker='$ZT'" | tr '\t' ' ')"
admin load-bars --intraday "$(mk intra.csv "$HDR" "$ZT,2024-03-05,09:30,1,2,0.5,1.5,10,1.5" "$ZT,2024-03-05,23:59:59,1,2,0.5,1.5,0,0")" >/dev/null
check "load-bars --intraday: times and the stored stamp" "09:30:00 20240305093000 23:59:59 20240305235959" \
    "$(asql "SELECT TrTime, TrStamp FROM NVIntraday WHERE Ticker='$ZT' ORDER BY TrStamp" | tr '\t\n' '  ' | sed 's/ $//')"

sum_before="$(sums)"
bad_case() { # description, pattern expected in the message, command...
    local desc="$1" pat="$2"; shift 2
    if "$@" >/dev/null 2>"$TMP/berr"; then fail "$desc: accepted"
    elif grep -qE -- "$pat" "$TMP/berr"; then pass "$desc"
    else fail "$desc: message lacks /$pat/" "$(cat "$TMP/berr")"; fi
}
bad_file() { # file name, description, pattern, velmora-admin command, the file's lines...
    local f="$1" desc="$2" pat="$3" cmd="$4"; shift 4
    bad_case "$desc" "$pat" "$A" $cmd "$(mk "$f" "$@")"
}
ok_line="$ZT,2024-03-07,,1,2,0.5,1.5,10,1.5" ZQ="ZZQ,2024-03-08 09:30:00,1,2,0.5,1.5"
bad_file h.csv "wrong header" "h\\.csv:1: wrong header" "load-bars --daily" "Ticker,Date,Open,High,Low,Close,Volume,AdjClose" "$ok_line"
bad_file q.csv "an unterminated quote" "q\\.csv:[0-9]+: malformed" "load-bars --daily" "$HDR" "$ok_line" "\"$ZT,2024-03-08,,1,2,0.5,1.5,10,1" "$ok_line"
bad_file d.csv "an impossible date (2024-02-30)" "d\\.csv:3: date '2024-02-30' does not exist" "load-bars --daily" "$HDR" "$ok_line" "$ZT,2024-02-30,,1,2,0.5,1.5,10,1.5"
bad_file k.csv "a duplicate key within the file" "k\\.csv:4: duplicate key .* \\(first on line 2\\)" "load-bars --daily" "$HDR" "$ok_line" "$ZT,2024-03-08,,1,2,0.5,1.5,10,1.5" "$ok_line"
bad_file t.csv "a daily row with a time" "t\\.csv:2: daily rows take no time" "load-bars --daily" "$HDR" "$ZT,2024-03-08,09:30,1,2,0.5,1.5,10,1.5"
bad_file i.csv "an impossible time (24:00)" "i\\.csv:3: time '24:00' does not exist" "load-bars --intraday" "$HDR" "$ZT,2024-03-08,09:30,1,2,0.5,1.5,10,1.5" "$ZT,2024-03-08,24:00,1,2,0.5,1.5,10,1.5"
bad_file c.csv "load-quotes: a duplicate code" "c\\.csv:3: duplicate code ZZQ" "load-quotes" "$RT_LIST" "$ZQ,,,,,,,,,,,,," "ZZQ,2024-03-08 09:31:00,1,2,0.5,1.5,,,,,,,,,,,,,"
bad_file u.csv "load-quotes: an impossible LastUpdate" "u\\.csv:2: date '2024-13-08' does not exist" "load-quotes" "$RT_LIST" "ZZQ,2024-13-08 09:30:00,1,2,0.5,1.5,,,,,,,,,,,,,"
bad_file neg.csv "load-bars: a volume below minus the largest float" "neg\\.csv:2: Volume '-3.5e38' is beyond what a 32-bit float holds" "load-bars --daily" "$HDR" "$ZT,2024-03-09,,1,2,0.5,1.5,-3.5e38,1.5"
bad_file bigq.csv "load-quotes: a TVol beyond a 32-bit float" "bigq\\.csv:2: TVol '1e39' is beyond what a 32-bit float holds" "load-quotes" "$RT_LIST" "$ZQ,,,,,,,1e39,,,,,,"
bad_case "config: an interval beyond a 32-bit float" "--trade-interval: value '1e39' is beyond" "$A" config --trade-interval 1e39
for stmt in "INSERT INTO NVEod (Ticker,TrDate,Close,AdjClose) VALUES ('$ZT','2024-04-01',1e39,1e39)" "UPDATE NVEod SET High=1e39 WHERE Ticker='BBCA' LIMIT 1" \
            "INSERT INTO NVIntraday (Ticker,TrDate,TrTime,Volume) VALUES ('$ZT','2024-04-01','09:30',-1e39)" "INSERT INTO NVRealtime (Code,Last) VALUES ('ZZQ',3.5e38)"; do
    bad_case "the schema refuses ${stmt:0:30}... beyond a 32-bit float" "CONSTRAINT .*float_range. failed" "$A" sql "$stmt"
done
# What a market day cannot be, each on its line, and past a line the reader
# cannot split: every problem of the file told, up to twenty.
D="$ZT,2024-03" out="$("$A" load-bars --daily "$(mk day.csv "$HDR" "$ok_line" "$D-08,,1,2,0.5,1.5,-10,1.5" "$D-09,,-1,2,0.5,1.5,10,1.5" \
    "$D-10,,1,0.5,2,1.5,10,1.5" "$D-11,,3,2,0.5,1.5,10,1.5" "$D-12,,1,2,0.5,0.25,10,1.5" "$D-13,,1,,0.5,1.5,10,1.5" \
    "$D-14,,1,2,0.5,1.5,,1.5" "$D-15,,1,2" "$D-16,,1,2,0.5,1.5,inf,1.5" "$D-17,,1,2,0.5,1e40,10,1.5")" 2>&1)"; rc=$?; missing=()
for want in "3: Volume -10 is negative" "4: Open -1 is not a positive price" "5: High 0.5 is below Low 2" \
    "6: Open 3 is outside the day's range, Low 0.5 to High 2" "7: Close 0.25 is outside the day's range" \
    "8: High is missing: the plug-in drops a bar" "9: Volume is missing (--lenient loads" "10: malformed line" \
    "11: Volume 'inf' is not a number" "12: Close '1e40' is beyond" " nothing was loaded"; do
    grep -qF -- "day.csv:$want" <<<"$out" || missing+=("$want")
done
check "load-bars: every problem of a market day told with its line" 1 "$rc${missing[*]:+ lacks: ${missing[*]} in: $out}"
bad_file many.csv "load-bars: twenty problems told, the rest counted" "many\.csv: and 5 more problems \(25 in all\)" "load-bars --daily" "$HDR" $(seq -f "$ZT,2024-01-%02g,,1,1,1,1,-1,1" 1 25)
bad_file nohigh.csv "load-bars --lenient still refuses a bar without a price" "nohigh\.csv:2: High is missing" "load-bars --daily --lenient" "$HDR" "$D-13,,1,,0.5,1.5,,1.5"
bad_file lowq.csv "load-quotes: a High below the Low" "lowq\.csv:2: High 1 is below Low 2" "load-quotes" "$RT_LIST" "ZZQ,2024-03-08 09:30:00,1,1,2,1.5,,,,,,,,,,,,,"
bad_case "market: an impossible date" "--date: date '2025-02-29' does not exist" "$A" market trading --date 2025-02-29
bad_case "config: an impossible date" "--backfill-eod: date '2024-04-31' does not exist" "$A" config --backfill-eod 2024-04-31
bad_case "session: a non-numeric permit" "--permit: 'yes' is not a whole number" "$A" session "$TID" --permit yes
check "the rejected inputs changed nothing" "$sum_before" "$(sums)"
M=3.4028234663852886e38
admin load-bars --daily "$(mk edge.csv "$HDR" "$ZT,2024-03-10,,$M,$M,$M,$M,$M,1")" >/dev/null
check "load-bars: the largest float still loads" 1 "$(asql "SELECT COUNT(*) FROM NVEod WHERE Ticker='$ZT' AND TrDate='2024-03-10'")"

echo "== market state and simulator"
MKT="StatusMessage,isMarketClosed,EOD" RT_OURS="FROM NVRealtime WHERE Code NOT LIKE 'ZZ%' AND Code<>'bbca' ORDER BY Code"
asql "SELECT $RT_LIST $RT_OURS" | sed 's/\tNULL/\t/g; s/\t/,/g' | { echo "$RT_LIST"; cat; } >"$TMP/rt_saved.csv"
market_saved="$(asql "SELECT StatusMessage,isMarketClosed,MarketDate,EOD FROM NVMarket")"
snapshot() { asql "SELECT Code,LastUpdate,High,Low,Last,BidPrice,OfferPrice,Chg,TVol $RT_OURS"; }
admin simulate --steps 3 --interval 0 --seed 7 --market-at 0:closed --market-at 2:eod >/dev/null
s1="$(snapshot)" m1="$(asql "SELECT $MKT FROM NVMarket")"
admin load-quotes "$TMP/rt_saved.csv" >/dev/null
admin simulate --steps 3 --interval 0 --seed 7 >/dev/null
s2="$(snapshot)"
admin load-quotes "$TMP/rt_saved.csv" >/dev/null
s0="$(snapshot)"
check "simulate moves the real-time rows (at least 4)" moved "$([ "$s1" != "$s0" ] && [ "$(wc -l <<<"$s1")" -ge 4 ] && echo moved)"
check "simulate: the same start and seed give the same rows" "$s1" "$s2"
check "simulate --market-at: the market ends at end of day" "End of day	0	1" "$m1"
# A cheap stock a tick under its upper limit (previous close 100: a 35 %
# band, so 135), walked long enough that an unbounded walk would pass it;
# High keeps the highest of every step. And a row the walk must not touch.
asql "INSERT INTO NVRealtime (Code,LastUpdate,Open,High,Low,Last,Chg,TVol,TVal) VALUES
      ('ZZSIM','2025-10-31 09:00:00',100,134,100,134,34,1000,100000),
      ('ZZSTILL','2025-10-31 09:00:00',100,100,100,100,0,1000,100000)" >/dev/null
admin simulate --steps 150 --interval 0 --seed 3 --tickers ZZSIM >/dev/null
check "simulate --tickers: the walk stays in the day's limits, high/low, change, bid/offer, volumes, stamps follow; other rows stay" \
    "1	1	1	1	1	1	1	1 100	2025-10-31 09:00:00" \
    "$(asql "SELECT Last>=65 AND High=135, High>=Last AND Low<=Last, Chg=Last-100, BidPrice<Last AND OfferPrice>Last, TVol>1000, TVal>100000, LastUpdate='2025-10-31 09:02:30', Open=100 FROM NVRealtime WHERE Code='ZZSIM'") $(asql "SELECT Last,LastUpdate FROM NVRealtime WHERE Code='ZZSTILL'")"
admin simulate --steps 1 --tickers ZZNONE >/dev/null; RC=$? ERR="$(<"$TMP/aerr")"
refused "simulate --tickers: an unknown ticker is refused" "no real-time row for ZZNONE"
before_market="$(asql "SELECT $MKT FROM NVMarket")" t0=$(date +%s%N)
admin simulate --seconds 3.5 --speed 2 --step-market --phase 1 --tickers ZZSIM >/dev/null
ms=$(( ($(date +%s%N) - t0) / 1000000 ))
check "simulate --seconds 3.5 stops by itself, after 3 to 8 s (${ms} ms)" 1 "$(( ms >= 3000 && ms < 8000 ))"
check "simulate --step-market: the market is put back as it was" "$before_market" "$(asql "SELECT $MKT FROM NVMarket")"
admin market closed --date 2025-11-03 >/dev/null
check "market closed --date" "Market closed	1	2025-11-03	0" "$(asql "SELECT StatusMessage,isMarketClosed,MarketDate,EOD FROM NVMarket")"
asql "UPDATE NVMarket SET StatusMessage='$(cut -f1 <<<"$market_saved")', isMarketClosed=$(cut -f2 <<<"$market_saved"), MarketDate='$(cut -f3 <<<"$market_saved")', EOD=$(cut -f4 <<<"$market_saved")" >/dev/null

echo "== demo data generator"
for d in 1 2; do VELMORA_DEMO_SIZE=small "$PY" "$HERE/demo_data.py" --out "$TMP/demo$d" >/dev/null; done
check "two runs give identical files" "" "$(diff -r "$TMP/demo1" "$TMP/demo2" 2>&1 | head -5)"
adj_rows="$(awk -F, 'NR > 1 && $7 != $9' "$TMP/demo1/daily.csv" | wc -l)"
check "AdjClose equals Close except on a few (1 to 5) corporate-action rows ($adj_rows)" 1 "$(( adj_rows >= 1 && adj_rows <= 5 ))"

echo "== many plug-ins at once (velmora-loadgen, a short run)"
"$ROOT/build/linux/velmora-loadgen" --installations 300 --seconds 12 --ramp 3 --bar-every 5 --no-simulator --json >"$TMP/load.json" 2>"$TMP/load.err"
check "300 installations: every kind of statement, no error, no session refused, all connected" \
    "config connect disconnect eod-bars intraday-bars market-status realtime session-query session-register|0|0|True" \
    "$("$PY" -c 'import json, sys; j = json.load(open(sys.argv[1])); s = j["statements"]
print(" ".join(sorted(s)) + "|%d|%d|%s" % (sum(k["errors"] for k in s.values()), j["refused"], j["all_connected_after_s"] is not None))' "$TMP/load.json" 2>&1)$(head -c 300 "$TMP/load.err")"

summary
