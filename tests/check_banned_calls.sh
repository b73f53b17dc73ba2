#!/bin/sh
# Calls the project does not use: unbounded string writes, and DLL loading
# that searches the current folder (LoadLibraryEx with a full path or the
# system-folder flag is the way).
set -eu
cd "$(dirname "$0")/.."
pattern='(^|[^_[:alnum:]])(sprintf|vsprintf|strcpy|strcat|strtok|gets|wcscpy|wcscat|lstrcpy[AW]?|lstrcat[AW]?|LoadLibrary[AW]?)[[:space:]]*\('
hits=$(grep -rnE "$pattern" --include='*.cpp' --include='*.h' frame controls services download window installer tools bench tests 2>/dev/null || true)
if [ -n "$hits" ]; then
  echo "banned calls:"; echo "$hits"; exit 1
fi
echo "no banned calls"
