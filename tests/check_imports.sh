#!/bin/sh
# The installer must run as one file: it may import Windows system DLLs only.
set -eu
exe=$1
allowed='^(kernel32|user32|gdi32|advapi32|shell32|ole32|oleaut32|comctl32|comdlg32|version|ws2_32|msvcrt|shlwapi|advpack|msimg32|uxtheme|winmm|crypt32|imm32|api-ms-win-crt-[a-z0-9-]+)\.dll$'
dlls=$(i686-w64-mingw32-objdump -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p')
[ -n "$dlls" ] || { echo "no imports found in $exe"; exit 1; }
bad=$(printf '%s\n' "$dlls" | tr 'A-Z' 'a-z' | grep -Ev "$allowed" || true)
i686-w64-mingw32-objdump -f "$exe" | grep -q 'file format pei-i386' || { echo "$exe is not PE32 (i386)"; exit 1; }
i686-w64-mingw32-objdump -p "$exe" | grep -q 'Subsystem[[:space:]]*00000002' || { echo "$exe is not a GUI program"; exit 1; }
if [ -n "$bad" ]; then
  echo "imports outside the system DLLs:"; printf '  %s\n' $bad; exit 1
fi
echo "imports: $(printf '%s ' $dlls)"
