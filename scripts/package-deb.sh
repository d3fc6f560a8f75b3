#!/usr/bin/env bash
# Builds the Debian package from a clean build and leaves it as build/agrimor_<version>_<arch>.deb,
# then checks it with lintian (no error allowed) and desktop-file-validate.
#   scripts/package-deb.sh [BUILD_FOLDER]    (default build/package: removed and built again)
# The build uses Debian's build flags (dpkg-buildflags, hardening included) and no tests.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

folder=${1:-build/package}
rm -rf "$folder"
mkdir -p build

# Debian's flags, the way a package of the archive is compiled and linked.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
CFLAGS="$(dpkg-buildflags --get CFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
LDFLAGS=$(dpkg-buildflags --get LDFLAGS)
export CFLAGS CXXFLAGS LDFLAGS
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$folder" -G Ninja -DCMAKE_BUILD_TYPE=None -DAGRIMOR_BUILD_TESTS=OFF \
  "${launcher[@]}" >/dev/null
cmake --build "$folder" -j"$(nproc)" --target agrimor_package_files
(cd "$folder" && cpack -G DEB)

version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$folder/CPackConfig.cmake")
deb="agrimor_${version}_$(dpkg --print-architecture).deb"
cp "$folder/$deb" "build/$deb"

echo
echo "build/$deb: $(du -k "build/$deb" | cut -f1) KiB"
dpkg-deb -f "build/$deb" Depends Recommends Suggests
echo
echo "lintian:"
lintian --fail-on error --display-info "build/$deb"
echo "lintian: no error"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
dpkg -x "build/$deb" "$work"
desktop-file-validate "$work/usr/share/applications/agrimor.desktop"
echo "desktop-file-validate: clean"
