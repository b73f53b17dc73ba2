#!/usr/bin/env bash
# The setup's apt steps against a stand-in apt-get first in PATH: an update
# that keeps failing as a mirror in sync does, an install that does not
# resolve until the release's own versions are asked for, and one that never
# installs. The sources and os-release are the test's own.
set -uo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
expect() {  # expect WHAT TEXT PATTERN
  grep -qE -- "$3" <<<"$2" && return
  echo "FAIL: $1: no /$3/ in:"; echo "$2"
  failures=$((failures + 1))
}

mkdir -p "$work/bin" "$work/etc/apt/sources.list.d"
cat >"$work/etc/os-release" <<'EOF'
PRETTY_NAME="Debian GNU/Linux 12 (bookworm)"
VERSION_CODENAME=bookworm
EOF
cat >"$work/etc/apt/sources.list.d/debian.sources" <<'EOF'
Types: deb deb-src
URIs: http://mirror.invalid/debian
Suites: bookworm bookworm-updates
Components: main

Types: deb deb-src
URIs: http://mirror.invalid/debian-security
Suites: bookworm-security
Components: main
EOF

# The stand-in logs each call; STANDIN_INSTALL_OK_AFTER is the number of
# install calls that fail before one succeeds (a large number: never).
cat >"$work/bin/apt-get" <<'EOF'
#!/usr/bin/env bash
echo "$*" >>"$STANDIN_LOG"
case $1 in
  update)
    echo "Err:9 http://mirror.invalid/debian-security bookworm-security/main i386 Packages"
    echo "  File has unexpected size (374820 != 376004). Mirror sync in progress?"
    echo "E: Failed to fetch http://mirror.invalid/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress?"
    echo "E: Some index files failed to download. They have been ignored, or old ones used instead."
    exit 100 ;;
  install)
    n=$(grep -c '^install' "$STANDIN_LOG")
    if [ "$n" -gt "$STANDIN_INSTALL_OK_AFTER" ]; then echo "Setting up wine32:i386"; exit 0; fi
    echo "E: Unable to correct problems, you have held broken packages."
    exit 100 ;;
esac
exit 0
EOF
chmod +x "$work/bin/apt-get"

run_steps() {  # run_steps FAILING_INSTALLS: the update and install steps in a shell of their own
  : >"$work/calls"
  PATH="$work/bin:$PATH" STANDIN_LOG="$work/calls" STANDIN_INSTALL_OK_AFTER=$1 \
    TAVRIN_APT_TRIES=3 TAVRIN_APT_PAUSE=0 TAVRIN_APT_ETC="$work/etc" bash -c '
      source "$1/scripts/apt-steps"
      as_root() { "$@"; }
      apt_update
      apt_install wine32:i386 libgnutls30:i386
      echo "after the install"' _ "$top" 2>&1
}

out=$(run_steps 1); rc=$?
calls=$(cat "$work/calls")
expect "recovering" "$rc" '^0$'
expect "recovering" "$(grep -c '^update' <<<"$calls")" '^3$'
expect "recovering" "$out" 'update failed \(try 1 of 3\)'
expect "recovering" "$out" 'still fails after 3 tries; going on'
expect "recovering" "$out" 'setup:   http://mirror.invalid/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz$'
expect "recovering" "$out" "trying once more with the release's own versions \(apt-get install -t bookworm\)"
expect "recovering" "$out" 'installed with the versions of bookworm'
expect "recovering" "$out" '^after the install$'
expect "recovering" "$calls" '^install -y -q --no-install-recommends wine32:i386 libgnutls30:i386$'
expect "recovering" "$calls" '^install -y -q --no-install-recommends -t bookworm wine32:i386 libgnutls30:i386$'

out=$(run_steps 99); rc=$?
expect "never installing" "$rc" '^[1-9]'
expect "never installing" "$out" 'apt could not install the packages'
expect "never installing" "$out" 'setup:   E: Unable to correct problems, you have held broken packages\.'
expect "never installing" "$out" 'run scripts/setup again'
grep -q '^after the install$' <<<"$out" && { echo "FAIL: the setup went on after a failed install"; failures=$((failures + 1)); }
expect "never installing" "$(grep -c '^install' "$work/calls")" '^2$'

# One-line sources without the code name in os-release: the first suite that
# is no update or security suite.
rm "$work/etc/apt/sources.list.d/debian.sources" "$work/etc/os-release"
printf 'deb [arch=amd64] http://mirror.invalid/debian-security trixie-security main\ndeb http://mirror.invalid/debian trixie main\n' \
  >"$work/etc/apt/sources.list"
release=$(TAVRIN_APT_ETC="$work/etc" bash -c 'source "$1/scripts/apt-steps"; configured_release' _ "$top")
expect "one-line sources" "$release" '^trixie$'

if [ $failures -eq 0 ]; then echo "apt steps: all cases passed"; exit 0; fi
echo "apt steps: $failures failures"; exit 1
