#!/bin/sh
# The installer must run as one file and load no DLL from its own folder:
# its import table names KnownDLLs only, which the system maps from its own
# copies whatever lies beside the program. Every other DLL is delay-loaded
# from the system folder by the program itself.
# Usage: check_imports.sh EXE OBJDUMP FORMAT   (FORMAT: pei-i386 or pei-x86-64)
set -eu
exe=$1 objdump=$2 format=$3
allowed='^(kernel32|user32|gdi32|advapi32|shell32|ole32|oleaut32|comdlg32|ws2_32|msvcrt|shlwapi|imm32)\.dll$'
dlls=$("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p')
[ -n "$dlls" ] || { echo "no imports found in $exe"; exit 1; }
bad=$(printf '%s\n' "$dlls" | tr 'A-Z' 'a-z' | grep -Ev "$allowed" || true)
if [ -n "$bad" ]; then
  echo "imports outside the KnownDLLs:"; printf '  %s\n' $bad; exit 1
fi
"$objdump" -f "$exe" | grep -q "file format $format\$" || { echo "$exe is not $format"; exit 1; }
"$objdump" -p "$exe" | grep -q 'Subsystem[[:space:]]*00000002' || { echo "$exe is not a GUI program"; exit 1; }
# A 32-bit build must be able to map a large download whole on 64-bit Windows.
if [ "$format" = pei-i386 ]; then
  "$objdump" -p "$exe" | grep -q 'large address aware' || { echo "$exe is not large address aware"; exit 1; }
fi
echo "imports ($format): $(printf '%s ' $dlls)"
