#!/usr/bin/env bash
# CTest's emulator for test programs: wine-run.sh LOADER PREFIX PROGRAM [ARGS]
# Picks the build tree's own prefix and, for programs named *_win95.exe,
# *_win31.exe or *_nt40.exe, makes Wine report that Windows version to them.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
loader=$1
prefix=$(realpath -m "$2")
shift 2
need32=0
[[ $(basename "$loader") == wine ]] && need32=1
QVR_WINE_NEED32=$need32 "$here/wine-prefix.sh" "$prefix"
export WINEPREFIX=$prefix WINEDEBUG=${WINEDEBUG:--all}

exe=$(basename "$1")
case "$exe" in
*_win95.exe) version=win95 ;;
*_win31.exe) version=win31 ;;
*_nt40.exe) version=nt40 ;;
*) version= ;;
esac
if [[ -n $version ]] && ! grep -qi "AppDefaults\\\\\\\\$exe\]" "$prefix/user.reg" 2>/dev/null; then
    /usr/lib/wine/wine64 reg add "HKCU\\Software\\Wine\\AppDefaults\\$exe" /v Version /d "$version" /f >/dev/null 2>&1
fi
exec "$loader" "$@"
