#!/usr/bin/env bash
# Packs an installed qvrdll32 tree into DIST/qvrdll32-VERSION-PLATFORM.zip and
# DIST/qvrdll32-VERSION-PLATFORM.zip.sha256; the same tree gives the same bytes:
#   scripts/package.sh STAGE DIST PLATFORM [FORBIDDEN_PATH...]
# STAGE is what `cmake --install BUILD --prefix STAGE` wrote; VERSION is read
# from its package version file. The archive holds one folder,
# qvrdll32-VERSION-PLATFORM/, with the files in byte order of their paths,
# every one dated SOURCE_DATE_EPOCH (default: the time of the last commit),
# mode 0644, and no extra fields (no owner, no access time). A file that holds
# one of the FORBIDDEN_PATHs (the source or build folder) is refused: a build
# path inside would make the archive depend on where it was built.
set -euo pipefail
if (($# < 3)); then
    sed -n '2,4p' "$0" | sed 's/^# \{0,1\}//' >&2
    exit 2
fi
stage=$(realpath "$1")
dist=$2
platform=$3
shift 3

version_file=$stage/lib/cmake/qvrdll32/qvrdll32-config-version.cmake
version=$(sed -n 's/^set(PACKAGE_VERSION "\(.*\)")$/\1/p' "$version_file")
[[ -n $version ]] || { echo "package: no PACKAGE_VERSION in $version_file" >&2; exit 1; }
name=qvrdll32-$version-$platform

for path in "$@"; do
    if found=$(grep -rlF -- "$path" "$stage"); then
        echo "package: build path $path inside:" >&2
        echo "$found" >&2
        exit 1
    fi
done

if [[ -z ${SOURCE_DATE_EPOCH:-} ]]; then
    SOURCE_DATE_EPOCH=$(git -C "$(dirname "$0")" log -1 --format=%ct) ||
        { echo "package: not in a git checkout: set SOURCE_DATE_EPOCH" >&2; exit 1; }
fi

work=$(mktemp -d)
trap 'rm -rf -- "$work"' EXIT
cp -R -- "$stage" "$work/$name"
find "$work/$name" -type f -exec chmod 0644 {} + -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
# zip stores local time; in UTC the stored time is the epoch's own.
(cd "$work" && find "$name" -type f | LC_ALL=C sort | TZ=UTC zip -q -X -D "$work/out.zip" -@)

mkdir -p "$dist"
mv -f "$work/out.zip" "$dist/$name.zip"
(cd "$dist" && sha256sum "$name.zip" >"$name.zip.sha256")
echo "$dist/$name.zip"
