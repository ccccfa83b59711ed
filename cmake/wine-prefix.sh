#!/usr/bin/env bash
# Makes sure the Wine prefix PREFIX exists and is set up for the tests:
#   - HKCU\Software\Wine\Drivers Graphics=null: windows exist invisibly and
#     MessageBoxA blocks until a test's watcher dismisses it;
#   - no debugger for unhandled exceptions (AeDebug): a crashing test program
#     ends at once instead of waiting in winedbg until the CTest timeout;
#   - no symbolic link in drive_c that leads out of the prefix: Wine links the
#     user folders (Desktop, Documents...) to $HOME, where a tree walk of C:
#     would follow them. Each becomes an empty folder.
# A prefix takes minutes to create when qemu is registered for 32-bit
# programs, so it is made once as a template under /var/tmp and copied.
set -euo pipefail
prefix=$(realpath -m "$1") # Wine needs an absolute prefix path
template=${QVR_WINE_TEMPLATE:-/var/tmp/qvrdll32-wine-template}
need32=${QVR_WINE_NEED32:-0}

# Bump when configure_prefix changes: existing prefixes are then set up again.
config_version=4

ready() {
    [[ -f "$1/.qvr-ready" ]] && [[ -f "$1/.qvr-config-$config_version" ]] &&
        { [[ $need32 == 0 ]] || [[ -d "$1/drive_c/windows/syswow64" ]]; }
}

configure_prefix() {
    local p=$1
    export WINEPREFIX=$p WINEDEBUG=-all
    /usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
    local aedebug='HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug'
    # Without a Debugger value Wine still starts winedbg; a program that does
    # not exist makes the crashing process end straight away.
    local view
    for view in 64 32; do
        /usr/lib/wine/wine64 reg add "$aedebug" /v Debugger /d "qvr-no-debugger.exe %ld %ld" /f \
            /reg:$view >/dev/null 2>&1 || true
    done
    wineserver -w
    local link
    while IFS= read -r -d '' link; do
        [[ $(realpath -m -- "$link") == "$p"/* ]] || { rm -- "$link" && mkdir -- "$link"; }
    done < <(find "$p/drive_c" -type l -print0)
    rm -f "$p"/.qvr-config-*
    touch "$p/.qvr-config-$config_version"
}

ready "$prefix" && exit 0

mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock 9
ready "$prefix" && exit 0

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
    wineserver -w
    touch "$template/.qvr-ready"
}

if [[ -f "$prefix/.qvr-ready" ]] && { [[ $need32 == 0 ]] || [[ -d "$prefix/drive_c/windows/syswow64" ]]; }; then
    configure_prefix "$prefix" # an older set-up: only the settings are new
    exit 0
fi
make_template
rm -rf "$prefix"
cp -a "$template" "$prefix"
configure_prefix "$prefix"
touch "$prefix/.qvr-ready"
