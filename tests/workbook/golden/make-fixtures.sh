#!/bin/bash
# Remakes the golden workbooks with other programs and writes their expected dumps.
#
#   tests/workbook/golden/make-fixtures.sh          remake every case folder
#   tests/workbook/golden/make-fixtures.sh --check  only compare the committed files with
#                                                   their check.txt (no writer needed)
#
# Needs Debian's python3-openpyxl, python3-xlrd, python3-xlsxwriter, python3-uno,
# libreoffice-calc-nogui and gnumeric. None of them is needed to build or to run the tests:
# the tests read the committed files. Review the differences (git diff --stat, the check.txt
# diffs) before committing a remake: every writer's new version may change its output.
set -euo pipefail

# The writers' output must not depend on the machine's language or time zone.
export LC_ALL=C.UTF-8 TZ=UTC

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
python=/usr/bin/python3

cases() { find "$here" -mindepth 2 -maxdepth 2 -name check.txt -printf '%h\n' | sort; }

if [[ "${1:-}" == "--check" ]]; then
    mapfile -t folders < <(cases)
    exec "$python" "$here/dump.py" --check "${folders[@]}"
fi

missing=()
for tool in soffice ssconvert; do
    command -v "$tool" >/dev/null || missing+=("$tool")
done
for module in openpyxl xlrd xlsxwriter uno; do
    "$python" -c "import $module" 2>/dev/null || missing+=("python module $module")
done
if ((${#missing[@]})); then
    echo "missing: ${missing[*]}" >&2
    echo "apt-get install --no-install-recommends python3-openpyxl python3-xlrd" \
        "python3-xlsxwriter python3-uno libreoffice-calc-nogui gnumeric" >&2
    exit 1
fi

# The model's own date rules first: a fault there would spoil every dump.
"$python" "$here/test_dump.py" -q

# A fixed staging folder: the external link of one case is stored with this path.
stage=/tmp/agrimor-golden
rm -rf "$stage"
mkdir -p "$stage"

# LibreOffice, driven through its API from a private profile so no user setting leaks in.
pipe="agrimor-golden-$$"
soffice --headless --invisible --norestore --nologo --nodefault \
    "-env:UserInstallation=file://$stage/.profile" \
    "--accept=pipe,name=$pipe;urp;" >"$stage/soffice.log" 2>&1 &
office=$!
trap 'kill "$office" 2>/dev/null || true' EXIT
"$python" "$here/lo_writer.py" "$stage" "$pipe"
wait "$office" || true
trap - EXIT

"$python" "$here/py_writers.py" "$stage"
"$python" "$here/handmade.py" "$stage"

# gnumeric's converter, fed with the LibreOffice workbooks and the long texts (it rewrites them
# completely). xls95 is the format of Excel 5 to 95 (BIFF7): byte strings in a code page, no
# string table; texts longer than a record go on in CONTINUE records in both .xls formats.
for kind in xlsx xls xls95; do
    case $kind in
        xlsx) exporter=Gnumeric_Excel:xlsx2 ;;
        xls) exporter=Gnumeric_Excel:excel_biff8 ;;
        xls95) exporter=Gnumeric_Excel:excel_biff7 ;;
    esac
    for source in formulas movements long-texts; do
        [[ $source == long-texts && $kind == xlsx ]] && continue
        case $source in
            long-texts) from=$(ls "$stage"/xlsxwriter-$source/*.xlsx) ;;
            *) from=$(ls "$stage"/lo-$source-xlsx/*.xlsx) ;;
        esac
        mkdir -p "$stage/gnumeric-$source-$kind"
        ssconvert --export-type="$exporter" "$from" \
            "$stage/gnumeric-$source-$kind/$(basename "${from%.xlsx}").${kind%95}" \
            2>>"$stage/ssconvert.log"
    done
done

# The movements with amounts typed as text, through gnumeric's .xls writer.
mkdir -p "$stage/gnumeric-amount-texts-xls"
ssconvert --export-type=Gnumeric_Excel:excel_biff8 "$stage/openpyxl-amount-texts/movimentos.xlsx" \
    "$stage/gnumeric-amount-texts-xls/movimentos.xls" 2>>"$stage/ssconvert.log"

# Replace the case folders (never anything else in this folder), then write the dumps.
for folder in "$stage"/*/; do
    name=$(basename "$folder")
    rm -rf "${here:?}/$name"
    mkdir "$here/$name"
    cp "$folder"/*.xls* "$here/$name/"
done
while read -r folder; do
    book=$(find "$folder" -maxdepth 1 -name '*.xls*' | sort)
    "$python" "$here/dump.py" "$book" >"$folder/check.txt"
done < <(find "$here" -mindepth 1 -maxdepth 1 -type d ! -name '.*' ! -name __pycache__ | sort)
rm -rf "$here/__pycache__"
echo "cases written under $here; what gnumeric reads from them (README.md lists the expected"
echo "disagreements):"
"$python" "$here/crosscheck.py" "$here"/*/
rm -rf "$here/__pycache__"
