#!/bin/sh
# Packs a Windows build's install into BUILD_DIR/NAME.zip, one top folder NAME,
# and writes SHA256SUMS beside it. The same sources (and the same signing
# key, if any: see sign_programs.sh) give the same ZIP bytes. On failure
# neither the ZIP nor SHA256SUMS is left, not even an earlier build's.
#
#   package_zip.sh BUILD_DIR NAME SOURCE_DIR
set -eu
build=$1 name=$2 source=$3
stage=$build/package_zip
sign=$(dirname "$0")/sign_programs.sh

rm -rf "$stage" "$build/$name.zip" "$build/SHA256SUMS"
trap 'rm -rf "$stage"' EXIT
cmake --install "$build" --prefix "$stage/$name" > /dev/null

# Entries dated by the sources, not by the build: SOURCE_DATE_EPOCH when
# given, else the last commit, else the top CMakeLists.txt.
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$source" log -1 --format=%ct 2> /dev/null ||
                             stat -c %Y "$source/CMakeLists.txt")}
# Copies signed, so that the build's own programs stay as linked.
bash "$sign" "$epoch" "$stage/$name/velmorix.exe" "$stage/$name/tessaran.exe"
find "$stage" -exec touch -h -d "@$epoch" {} +

# Names sorted; -X leaves out the extra fields with owner ids and times;
# the DOS times in the entries are local times, so the zone is fixed.
cd "$stage"
find "$name" -type f | LC_ALL=C sort | TZ=UTC zip -X -q -@ "../$name.zip"
cd ..
sha256sum "$name.zip" > SHA256SUMS
echo "$build/$name.zip"
