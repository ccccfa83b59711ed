#!/usr/bin/env bash
# CTest command for tests that point tree operations at drive roots, the
# Windows directory or the current directory:
#   wine-sandbox.sh LOADER PREFIX PROGRAM [VERSION...]
# Runs PROGRAM (with qvrdll32.dll from beside it) in a throwaway copy of the
# Wine prefix PREFIX from which nothing leads to the host, so that even an
# operation that refuses nothing can only damage the copy:
#   - no drive but C: (Wine's Z: is the host's root), no other dosdevices;
#   - no symbolic link that leads out of the copy (the user folders link to
#     $HOME): each is replaced by an empty folder;
#   - the program runs from C:\qvrtest, which is also its current directory;
#   - scratch drive Q: and the share \\QVRSCRATCH\SHARE are empty folders
#     beside the copy; QVR_SCRATCH_ROOTS names them to the program.
# The program runs once as Wine's default Windows (NT) and once as each
# VERSION (win95, win31, nt40). The copy is removed afterwards.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
loader=$1
prefix=$(realpath -m "$2")
program=$(realpath "$3")
shift 3
need32=0
[[ $(basename "$loader") == wine ]] && need32=1
QVR_WINE_NEED32=$need32 "$here/wine-prefix.sh" "$prefix"

work=$(mktemp -d "${TMPDIR:-/tmp}/qvr-sandbox.XXXXXX")
sandbox=$work/prefix
cleanup() {
    WINEPREFIX=$sandbox wineserver -w 2>/dev/null || true
    [[ $work == */qvr-sandbox.* ]] && rm -rf -- "$work"
}
trap cleanup EXIT

cp -a "$prefix" "$sandbox"
find "$sandbox/dosdevices" -mindepth 1 -maxdepth 1 ! -name c: -exec rm -rf -- {} +
while IFS= read -r -d '' link; do
    target=$(realpath -m -- "$link")
    if [[ $target != "$work"/* ]]; then
        rm -- "$link"
        mkdir -- "$link"
    fi
done < <(find "$sandbox" -type l -print0)

mkdir -p "$work/q" "$work/share" "$sandbox/dosdevices/unc/qvrscratch"
ln -s "$work/q" "$sandbox/dosdevices/q:"
ln -s "$work/share" "$sandbox/dosdevices/unc/qvrscratch/share"

bin=$sandbox/drive_c/qvrtest
mkdir -p "$bin"
cp "$program" "$(dirname "$program")/qvrdll32.dll" "$bin/"
name=$(basename "$program" .exe)
export WINEPREFIX=$sandbox WINEDEBUG=${WINEDEBUG:--all}
export QVR_SCRATCH_ROOTS='Q:\;\\QVRSCRATCH\SHARE\'
cd "$bin"

status=0
for version in "" "$@"; do
    exe=$name.exe
    if [[ -n $version ]]; then
        exe=${name}_$version.exe
        cp "$name.exe" "$exe"
        /usr/lib/wine/wine64 reg add "HKCU\\Software\\Wine\\AppDefaults\\$exe" /v Version \
            /d "$version" /f >/dev/null 2>&1
    fi
    echo "== $exe${version:+ (Windows version $version)}"
    "$loader" "C:\\qvrtest\\$exe" || status=$?
done
exit $status
