#!/usr/bin/env bash
# The host decision and what scripts/test runs on each kind of host, shown
# through its plan with the decision forced either way (a machine can show
# only its own kind for real).
set -uo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
failures=0
expect() {  # expect WHAT TEXT PATTERN [absent]
  if [ "${4:-}" = absent ]; then
    ! grep -qE -- "$3" <<<"$2" && return
    echo "FAIL: $1: unexpected /$3/ in:"; echo "$2"
  else
    grep -qE -- "$3" <<<"$2" && return
    echo "FAIL: $1: no /$3/ in:"; echo "$2"
  fi
  failures=$((failures + 1))
}

native=$(TAVRIN_HOST_32BIT=1 "$top/scripts/test" --plan)
expect "32-bit host" "$native" '^host: runs 32-bit code natively \(forced'
expect "32-bit host" "$native" '^plan: win32 Wine session$'
expect "32-bit host" "$native" '^plan: ctest in build/win32 \(TAVRIN_WINE=/usr/lib/wine/wine\)'
expect "32-bit host" "$native" 'build/win64|qemu|-L shipped' absent

emulated=$(TAVRIN_HOST_32BIT=0 "$top/scripts/test" --plan)
expect "64-bit-only host" "$emulated" '^host: cannot run 32-bit code \(forced'
expect "64-bit-only host" "$emulated" '^plan: ctest in build/win64 \(TAVRIN_WINE=/usr/lib/wine/wine64\)'
expect "64-bit-only host" "$emulated" '^plan: ctest in build/win32 -L shipped \(TAVRIN_WINE=/usr/lib/wine/wine\)'
expect "64-bit-only host" "$emulated" 'ctest in build/win32 \(' absent
# The prefix's 32-bit side is made through the emulator: it is registered first.
order=$(grep -nE '^plan: (i386 programs|win64 Wine session)' <<<"$emulated" | cut -d: -f3 | tr '\n' '|')
[ "$order" = " i386 programs through qemu-i386| win64 Wine session|" ] || {
  echo "FAIL: emulator after the session: $order"; failures=$((failures + 1)); }

# Unforced, the decision is the probe's own.
probed=$(env -u TAVRIN_HOST_32BIT "$top/scripts/test" --plan | head -n 1)
if "$top/build/probe32/probe32" 2>/dev/null; then
  expect "probe" "$probed" '^host: runs 32-bit code natively \(probed\)'
else
  expect "probe" "$probed" '^host: cannot run 32-bit code \(probed\)'
fi

[ $failures -eq 0 ] && echo "host kind: both plans and the probe's decision as expected"
exit $((failures > 0))
