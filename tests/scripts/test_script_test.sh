#!/usr/bin/env bash
# scripts/test's summary, with stand-ins for cmake, ctest and the package queries: a
# failed build and a missing clang-format each end in the summary with the stage named
# and a non-zero exit, a failed stage does not keep the next from running, and test
# counts add up when everything passes.
#   test_script_test.sh SOURCE_DIR
set -uo pipefail
src=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

mkdir "$work/bin"
stand_in() {  # NAME BODY
  printf '#!/bin/sh\n%s\n' "$2" >"$work/bin/$1"
  chmod +x "$work/bin/$1"
}
stand_in cmake 'case "$*" in *--build*) [ -z "${BUILD_FAILS:-}" ] || { echo "error: stand-in build failure" >&2; exit 1; } ;; esac'
stand_in ctest 'echo "100% tests passed, 0 tests failed out of 3"'
stand_in dpkg 'echo i386'
stand_in dpkg-query 'printf installed'

run() {  # ENVIRONMENT... -- STAGES...: runs scripts/test, sets $out and $rc
  local env=()
  while [ "$1" != -- ]; do
    env+=("$1")
    shift
  done
  shift
  out=$(env PATH="$work/bin:$PATH" "${env[@]}" "$src/scripts/test" "$@" 2>&1)
  rc=$?
}
summary() { sed -n '/^==== summary ====$/,$p' <<<"$out"; }

run BUILD_FAILS=1 CLANG_FORMAT="$work/no-clang-format" -- native format
expected="==== summary ====
native: build FAILED
format: $work/no-clang-format not found (scripts/install-deps installs it)
0 passed, 2 failed"
[ "$(summary)" = "$expected" ] || fail "failed build and missing clang-format: $(summary)"
[ "$rc" -ne 0 ] || fail "failures ended with exit code 0"

run -- native
expected="==== summary ====
native: 100% tests passed, 0 tests failed out of 3
3 passed, 0 failed"
[ "$(summary)" = "$expected" ] || fail "passing run: $(summary)"
[ "$rc" -eq 0 ] || fail "a passing run ended with exit code $rc"

run -- nonsense
[ "$rc" -eq 2 ] || fail "an unknown stage ended with exit code $rc, not 2"

[ "$failures" -eq 0 ] && echo "scripts/test: summaries and exit codes hold"
exit $((failures > 0))
