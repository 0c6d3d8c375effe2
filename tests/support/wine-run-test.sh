#!/usr/bin/env bash
# scripts/wine-run with a stand-in for wine that answers as each case says:
# a listing that fails without output is tried once more, nothing else is.
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# The stand-in: each call takes the next answer, "status:output", from $work/plan.
cat >"$work/wine" <<'STUB'
#!/usr/bin/env bash
n=$(($(cat "$FAKE_DIR/calls" 2>/dev/null || echo 0) + 1))
echo $n >"$FAKE_DIR/calls"
answer="$(sed -n "${n}p" "$FAKE_DIR/plan")"
[ -n "${answer#*:}" ] && printf '%s\n' "${answer#*:}"
exit "${answer%%:*}"
STUB
chmod +x "$work/wine"

failures=0
# name | arguments | plan (one answer a line) | expected status | calls | output
check() {
  local name="$1" args="$2" plan="$3" want_status="$4" want_calls="$5" want_out="$6"
  rm -f "$work/calls"
  printf '%b\n' "$plan" >"$work/plan"
  local got status calls
  # shellcheck disable=SC2086
  got="$(FAKE_DIR="$work" BRINDLOW_WINE="$work/wine" BRINDLOW_WINE_RETRY_PAUSE=0 WINEPREFIX="$work" \
         bash "$root/scripts/wine-run" $args 2>/dev/null)"
  status=$?
  calls="$(cat "$work/calls")"
  if [ "$status" != "$want_status" ] || [ "$calls" != "$want_calls" ] || [ "$got" != "$want_out" ]; then
    echo "FAIL $name: status $status (want $want_status), calls $calls (want $want_calls), output '$got' (want '$want_out')"
    failures=$((failures + 1))
  else
    echo "ok   $name"
  fi
}

check "a listing that fails silently is tried again" "T.exe --gtest_list_tests" \
      '66:\n0:Suite.\n' 0 2 "Suite."
check "a listing that fails silently twice fails" "T.exe --gtest_list_tests" \
      '66:\n3:' 3 2 ""
check "a listing that fails with a word is not tried again" "T.exe --gtest_list_tests" \
      '1:err:module:import_dll Library foo.dll not found\n0:Suite.' 1 1 "err:module:import_dll Library foo.dll not found"
check "a listing that works runs once" "T.exe --gtest_list_tests" \
      '0:Suite.\n66:' 0 1 "Suite."
check "a test's run is never repeated" "T.exe --gtest_filter=Suite.Case" \
      '66:\n0:passed' 66 1 ""
exit $((failures > 0))
