#!/usr/bin/env bash
# Makes the spreadsheet of 1,000 addresses and has LibreOffice Calc save it as
# CSV twice, in UTF-8 and in Windows-1252, into OUT. Then has Calc open the
# awkward files of tests/data/transfer/awkward (stray quotes, quoted line
# breaks), each with LF, CR and CR LF line ends, and writes the cells it found
# as OUT/awkward/NAME-END.tsv. Run once per test run, as the set-up of the
# tests that read them.
set -euo pipefail
out=$(realpath -m "$1")
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$out"
mkdir -p "$out"
/usr/bin/python3 "$here/address_sheet.py" "$out/addresses.fods" "$out/expected.tsv"
# A profile of its own, so a user's LibreOffice settings play no part.
for variant in "utf8 76" "cp1252 1"; do
  set -- $variant
  soffice --headless --norestore -env:UserInstallation="file://$out/profile" \
    --convert-to "csv:Text - txt - csv (StarCalc):44,34,$2,1" --outdir "$out/$1" "$out/addresses.fods" >/dev/null
  test -s "$out/$1/addresses.csv"
done
# Every column as text, so that nothing is read as a number or a date.
columns=$(seq -s / 1 12 | sed 's|/|/2/|g')/2
mkdir -p "$out/awkward"
for f in "$here"/../data/transfer/awkward/*.csv; do
  name=$(basename "$f" .csv)
  cp "$f" "$out/awkward/$name-lf.csv"
  tr '\n' '\r' <"$f" >"$out/awkward/$name-cr.csv"
  perl -pe 's/\n/\r\n/' "$f" >"$out/awkward/$name-crlf.csv"
done
soffice --headless --norestore -env:UserInstallation="file://$out/profile" \
  --infilter="CSV:44,34,76,1,$columns" --convert-to fods --outdir "$out/awkward" "$out"/awkward/*.csv >/dev/null
for f in "$out"/awkward/*.fods; do
  /usr/bin/python3 "$here/calc_cells.py" "$f" >"${f%.fods}.tsv"
done
rm -rf "$out/profile" "$out"/awkward/*.fods
