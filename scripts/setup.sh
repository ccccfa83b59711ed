#!/usr/bin/env bash
# Installs what the build and the tests need on a fresh Debian 12 machine
# (run as root). Idempotent and quiet when everything is already there.
#   scripts/setup.sh          64-bit build and tests
#   scripts/setup.sh --with32 also 32-bit Wine (wine32:i386 through qemu-user)
set -euo pipefail

want32=0
[[ "${1:-}" == "--with32" ]] && want32=1

log() { echo "setup: $*" >&2; }

as_root() {
    if [[ $(id -u) -eq 0 ]]; then "$@"; else sudo "$@"; fi
}

# The archive entry alone (no security suite): its i386 index is the one that
# can fail to download with "File has unexpected size".
APT_MAIN_DIR=/var/tmp/qvrdll32-apt-main
apt_main_only() {
    as_root mkdir -p "$APT_MAIN_DIR/sources" "$APT_MAIN_DIR/lists/partial"
    if [[ ! -f "$APT_MAIN_DIR/sources/debian.sources" ]]; then
        # First stanza of the system's deb822 file, which holds the main archive.
        awk 'BEGIN{RS=""; ORS="\n\n"} NR==1' /etc/apt/sources.list.d/debian.sources |
            as_root tee "$APT_MAIN_DIR/sources/debian.sources" >/dev/null
    fi
    as_root apt-get -q -o Dir::Etc::sourcelist=/dev/null \
        -o Dir::Etc::sourceparts="$APT_MAIN_DIR/sources" \
        -o Dir::State::Lists="$APT_MAIN_DIR/lists" "$@"
}

apt_updated=0
apt_install() {
    local missing=()
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [[ ${#missing[@]} -eq 0 ]] && return 0
    log "installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    if [[ $apt_updated -eq 0 ]]; then
        as_root apt-get -q update >/dev/null || true
        apt_updated=1
    fi
    if ! as_root apt-get -q -y install --no-install-recommends "${missing[@]}" >/dev/null; then
        log "retrying with the main archive only"
        apt_main_only update >/dev/null
        apt_main_only -y install --no-install-recommends "${missing[@]}" >/dev/null
    fi
}

apt_install cmake ninja-build g++-mingw-w64-i686 g++-mingw-w64-x86-64 \
    binutils-mingw-w64-i686 binutils-mingw-w64-x86-64 \
    wine wine64 googletest mscompress xvfb locales \
    clang libclang-rt-14-dev lld zip

register_qemu() {
    if [[ ! -e /proc/sys/fs/binfmt_misc/register ]]; then
        as_root mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
    fi
    if [[ ! -e /proc/sys/fs/binfmt_misc/qemu-i386 ]]; then
        printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386:OCF' |
            as_root tee /proc/sys/fs/binfmt_misc/register >/dev/null
    fi
}

if [[ $want32 -eq 1 ]]; then
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        as_root dpkg --add-architecture i386
        apt_updated=0
    fi
    apt_install qemu-user wine32:i386
    # Seen here: installing wine32 through the fallback source list can take
    # wine64 away again; put it back.
    apt_install wine wine64
    register_qemu
fi
exit 0
