#!/usr/bin/env bash
# scripts/wine-env's own rules, without Wine: setups and teardowns of one environment take
# turns on one lock file, even when a process already waits and a newcomer arrives; a
# hung Wine command is stopped at the time limit and the lock is given back; and the
# 32-bit check answers from what its probe does; an environment of the null display driver
# needs no X server.
#   wine_env_test.sh SOURCE_DIR
set -uo pipefail
# shellcheck source=../../scripts/wine-env
source "$1/scripts/wine-env"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export WINE_TEST_BASE=$work WINE_TEST_ROOT=$work/env
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# --- Turns on the lock. Each holder notes when it enters and leaves; the environment's
# real work is left out. A teardown holds the lock, a setup waits for it, and a newcomer
# arrives while the waiting setup holds it: the newcomer must wait too.
journal=$work/journal
note() { echo "$1 $2" >>"$journal"; }
wine_env_remove() {
  note teardown in
  sleep 1
  rm -rf "$1"
  note teardown out
}
wine_env_setup_locked() {
  note "$WHO" in
  sleep 1
  note "$WHO" out
}
mkdir -p "$WINE_TEST_ROOT"
(wine_env_teardown . >/dev/null) &
sleep 0.3
(WHO=waiting wine_env_setup "" . >/dev/null) &
for _ in $(seq 100); do
  grep -q "teardown out" "$journal" 2>/dev/null && break
  sleep 0.05
done
sleep 0.3
(WHO=newcomer wine_env_setup "" . >/dev/null) &
wait
expected="teardown in
teardown out
waiting in
waiting out
newcomer in
newcomer out"
[ "$(cat "$journal")" = "$expected" ] || fail "the lock was held by two at once:
$(cat "$journal")"
[ -f "$WINE_TEST_ROOT.lock" ] || fail "the teardown deleted the lock file"

# --- A hung wineboot during a setup is stopped at the limit; the setup fails saying so,
# removes what it made and gives the lock back. (Run apart, so that a setup without a
# limit fails here instead of hanging.)
printf '#!/bin/sh\nexec sleep 60\n' >"$work/hung-wine"
printf '#!/bin/sh\nexit 0\n' >"$work/wineserver"
chmod +x "$work/hung-wine" "$work/wineserver"
start=$(date +%s)
WORK=$work WINE_ENV_TIMEOUT=1 WINE_ENV_DISPLAY=:99 timeout 30 bash -c '
  source "$1/scripts/wine-env"
  wine_env_binaries() {
    WINE=$WORK/hung-wine
    WINESERVER_BIN=$WORK/wineserver
  }
  wine_env_setup win64 .' setup "$1" >"$work/setup.out" 2>&1
rc=$?
elapsed=$(($(date +%s) - start))
[ "$rc" -ne 0 ] || fail "a setup with a hung wineboot succeeded"
[ "$rc" -ne 124 ] && [ "$elapsed" -lt 15 ] || fail "the hung wineboot was not stopped in time"
grep -q "wineboot -i did not finish within 1 s" "$work/setup.out" ||
  fail "no word of the time limit: $(cat "$work/setup.out")"
[ ! -e "$WINE_TEST_ROOT" ] || fail "the failed setup left $WINE_TEST_ROOT behind"
flock -n "$WINE_TEST_ROOT.lock" true || fail "the failed setup kept the lock"

# --- The 32-bit check: a probe that runs says yes; one the kernel refuses to execute
# (not a program it knows: "Exec format error") or that is missing says no.
printf '#!/bin/sh\nexit 0\n' >"$work/runs"
printf '\177ELF\001\001\001\000\000\000\000\000\000\000\000\000\002\000\003\000' >"$work/refused"
chmod +x "$work/runs" "$work/refused"
wine_env_host_runs_32bit "$work/runs" || fail "a probe that runs counted as no"
! wine_env_host_runs_32bit "$work/refused" || fail "a probe the kernel refuses counted as yes"
! wine_env_host_runs_32bit "$work/missing" || fail "a missing probe counted as yes"

# --- A machine without a desktop: an environment of the null display driver exports no
# DISPLAY and is ready without an X server; a driver it does not know is a usage error.
headless=$work/headless
mkdir -p "$headless"
echo win64 >"$headless/arch"
echo null >"$headless/driver"
touch "$headless/ready"
sleep 30 &
echo $! >"$headless/wineserver.pid"
(
  export DISPLAY=:5
  wine_env_export "$headless"
  [ -z "${DISPLAY:-}" ]
) || fail "the null driver's environment keeps a DISPLAY"
wine_env_ready "$headless" || fail "the null driver's environment waits for an X server"
kill "$(cat "$headless/wineserver.pid")" 2>/dev/null
wine_env_main setup --driver vesa . >/dev/null 2>&1
[ $? -eq 2 ] || fail "an unknown display driver was taken"

[ "$failures" -eq 0 ] && echo "wine-env: lock turns, time limit, 32-bit check and null driver hold"
exit $((failures > 0))
