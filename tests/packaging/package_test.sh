#!/usr/bin/env bash
# package_test.sh contents BUILD PACKAGE_DIR VERSION EXPECTED_LIST
#   Builds the Debian package from the build tree BUILD with cpack into PACKAGE_DIR and checks
#   its contents against EXPECTED_LIST (mode, owner, path), its control fields and its menu entry.
# package_test.sh installed BUILD PACKAGE_DIR VERSION
#   Unpacks that package into a scratch root and runs what it installed there: agrimor-seed,
#   agrimor-batch's check-up of the demo month (on SQLite, then over the SQLite ODBC driver, which
#   loads the installed extension), a .xls read by the installed reader process, and the program
#   offscreen with its screenshot.
set -euo pipefail
mode=$1 build=$2 dir=$3 version=$4
deb="$dir/agrimor_${version}_$(dpkg --print-architecture).deb"
fail() { echo "FAIL: $*" >&2; exit 1; }

if [ "$mode" = contents ]; then
  expected=$5
  rm -rf "$dir"
  mkdir -p "$dir"
  cpack -G DEB --config "$build/CPackConfig.cmake" -B "$dir" >"$dir/cpack.log" 2>&1 ||
    { cat "$dir/cpack.log"; fail "cpack did not build the package"; }
  [ -f "$deb" ] || fail "no $deb"
  dpkg-deb -c "$deb" | awk '{ print $1, $2, $6 }' | LC_ALL=C sort -k3 >"$dir/contents.txt"
  diff -u "$expected" "$dir/contents.txt" || fail "the package's contents differ from $expected"

  depends=$(dpkg-deb -f "$deb" Depends)
  echo "Depends: $depends"
  for lib in libc6 libqt6widgets6 libqt6printsupport6 libsqlite3-0 libodbc2 libgsf-1-114 \
    libxlsxwriter; do
    grep -q "\b$lib" <<<"$depends" || fail "Depends does not name $lib"
  done
  [ "$(dpkg-deb -f "$deb" Package)" = agrimor ] || fail "wrong package name"
  [ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "wrong version"

  dpkg-deb --fsys-tarfile "$deb" | tar -x -C "$dir" ./usr/share/applications/agrimor.desktop
  desktop-file-validate "$dir/usr/share/applications/agrimor.desktop" ||
    fail "desktop-file-validate refuses the menu entry"
  exit 0
fi

[ "$mode" = installed ] || fail "unknown mode $mode"
[ -f "$deb" ] || fail "no $deb (package_contents builds it)"
work="$dir/scratch"
rm -rf "$work"
mkdir -p "$work"
dpkg -x "$deb" "$work/root"
bin="$work/root/usr/bin"
# Nothing may point the installed programs at the build tree's files.
unset AGRIMOR_XLS_READER AGRIMOR_SQLITE_EXT AGRIMOR_SCREENSHOT
export XDG_DATA_DIRS="$work/share" XDG_DATA_HOME="$work/home"

demo="$work/share/corvane"
"$bin/agrimor-seed" "$demo" >"$work/seed.log" 2>&1 || { cat "$work/seed.log"; fail "agrimor-seed"; }

checkup() {
  local status=0
  "$bin/agrimor-batch" checkup --year 2026 --month 10 --companies all --yes \
    --data-folder "$demo" >"$work/checkup.log" 2>&1 || status=$?
  cat "$work/checkup.log"
  [ "$status" -eq 0 ] || fail "the check-up of 10/2026 ended with $status ($1)"
  grep -q "CheckUp efetuado com sucesso" "$work/checkup.log" || fail "no success message ($1)"
}
checkup "SQLite"

# The same check-up over ODBC: the SQLite ODBC driver loads the extension from /usr/lib/agrimor.
if odbcinst -q -d -n SQLite3 >/dev/null 2>&1; then
  cp "$demo/Agrimor.zeb" "$work/Agrimor.zeb.sqlite"
  sed -i 's/^Server=sqlite$/Server=odbc/' "$demo/Agrimor.zeb"
  printf '[Odbc]\nDriver=SQLite3\n' >>"$demo/Agrimor.zeb"
  checkup "SQLite ODBC driver"
  cp "$work/Agrimor.zeb.sqlite" "$demo/Agrimor.zeb"
else
  echo "SKIP: no SQLite3 ODBC driver registered, the ODBC check-up is not run"
fi

# A .xls goes through the reader process, found under the installed prefix.
"$bin/agrimor-batch" folha "$demo/Movimentos.xls" >"$work/folha.log" 2>&1 ||
  { cat "$work/folha.log"; fail "the installed reader process did not read Movimentos.xls"; }
[ -s "$work/folha.log" ] || fail "no sheet listed in Movimentos.xls"

shot="$work/main-window.png"
QT_QPA_PLATFORM=offscreen AGRIMOR_SCREENSHOT="$shot" "$bin/agrimor" ||
  fail "the installed program ended with $?"
[ "$(head -c 4 "$shot" | tail -c 3)" = PNG ] ||
  fail "no picture of the main window at $shot"
echo "The installed programs ran from $work/root"
