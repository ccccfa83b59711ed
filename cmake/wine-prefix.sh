#!/usr/bin/env bash
# Makes sure the Wine prefix PREFIX exists and is set up for the tests:
#   - HKCU\Software\Wine\Drivers Graphics=null: windows exist invisibly and
#     MessageBoxA blocks until a test's watcher dismisses it;
# A prefix takes minutes to create when qemu is registered for 32-bit
# programs, so it is made once as a template under /var/tmp and copied.
set -euo pipefail
prefix=$1
template=${QVR_WINE_TEMPLATE:-/var/tmp/qvrdll32-wine-template}
need32=${QVR_WINE_NEED32:-0}

[[ -f "$prefix/.qvr-ready" ]] && { [[ $need32 == 0 ]] || [[ -d "$prefix/drive_c/windows/syswow64" ]]; } && exit 0

mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock 9
[[ -f "$prefix/.qvr-ready" ]] && { [[ $need32 == 0 ]] || [[ -d "$prefix/drive_c/windows/syswow64" ]]; } && exit 0

make_template() {
    exec 8>"$template.lock"
    flock 8
    if [[ -f "$template/.qvr-ready" ]] && { [[ $need32 == 0 ]] || [[ -d "$template/drive_c/windows/syswow64" ]]; }; then
        return 0
    fi
    echo "wine-prefix: creating $template (once; minutes when 32-bit support is registered)" >&2
    rm -rf "$template"
    export WINEPREFIX=$template WINEDEBUG=-all
    /usr/lib/wine/wine64 wineboot --init >/dev/null 2>&1
    /usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
    wineserver -w
    touch "$template/.qvr-ready"
}

make_template
rm -rf "$prefix"
cp -a "$template" "$prefix"
touch "$prefix/.qvr-ready"
