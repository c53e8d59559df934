#!/usr/bin/env bash
# Makes the spreadsheet of 1,000 addresses and has LibreOffice Calc save it as
# CSV twice, in UTF-8 and in Windows-1252, into OUT. Run once per test run, as
# the set-up of the tests that read them.
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
rm -rf "$out/profile"
