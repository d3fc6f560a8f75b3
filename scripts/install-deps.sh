#!/usr/bin/env bash
# Installs every Debian package Agrimor needs to build, test and run its demo.
# Idempotent: packages already present are skipped, so a second run costs nothing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev
  libsqlite3-dev
  unixodbc-dev unixodbc tdsodbc libsqliteodbc
  libgtest-dev libgmock-dev
  xvfb xauth x11-apps fonts-dejavu-core
  cups-client
  libzip-dev libexpat1-dev libxlsxwriter-dev libgsf-1-dev
  libfreexl-dev  # only bench-workbook-read: it measures our .xls reader against it
  clang-format
  dpkg-dev file lintian desktop-file-utils librsvg2-bin  # the Debian package (cpack, checks)
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if ((${#missing[@]})); then
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The SQLite ODBC driver registers itself as "SQLite3"; make sure the entry exists even when
# the package's post-install step did not run (minimal images without odbcinst triggers).
if ! odbcinst -q -d -n SQLite3 >/dev/null 2>&1; then
  lib=$(find /usr/lib -name libsqlite3odbc.so -print -quit)
  [ -n "$lib" ] && printf '[SQLite3]\nDescription=SQLite3 ODBC Driver\nDriver=%s\nSetup=%s\n' "$lib" "$lib" |
    ${sudo_cmd[@]:-} odbcinst -i -d -r >/dev/null
fi
if ! odbcinst -q -d -n FreeTDS >/dev/null 2>&1; then
  lib=$(find /usr/lib -name libtdsodbc.so -print -quit)
  [ -n "$lib" ] && printf '[FreeTDS]\nDescription=FreeTDS ODBC Driver\nDriver=%s\n' "$lib" |
    ${sudo_cmd[@]:-} odbcinst -i -d -r >/dev/null
fi
# The T-SQL grammar that reads every statement the program sends to SQL Server (the test
# tsql_statements_test): Debian's Node.js and npm, and the pinned parser from the npm registry
# into tools/tsql/node_modules (git-ignored), reinstalled only when the lock file changed.
if ! command -v node >/dev/null 2>&1 || ! command -v npm >/dev/null 2>&1; then
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends nodejs npm
fi
tsql="$(dirname "$0")/../tools/tsql"
if ! cmp -s "$tsql/package-lock.json" "$tsql/node_modules/.installed-from-lock"; then
  (cd "$tsql" && npm ci --no-audit --no-fund --loglevel=error &&
    cp package-lock.json node_modules/.installed-from-lock)
fi
exit 0
