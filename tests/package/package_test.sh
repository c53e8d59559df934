#!/usr/bin/env bash
# The Debian package as a user gets it: built by scripts/package.sh from the
# build folder the suite was built in, checked by lintian, its desktop entry
# and AppStream metainfo validated, then unpacked into a scratch root where
# qbtool reads a table another xBase engine wrote and quillbase starts with a
# home of its own, makes its per-user folder and its first database and ends.
# The unpacked tree is then moved, and still finds what it ships.
#   package_test.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source_dir=$1 build=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

deb=$(BUILD_DIR="$build" bash "$source_dir/scripts/package.sh" | tail -1)
[[ -f $deb ]] || fail "no package built"
version=$(dpkg-deb -f "$deb" Version)
depends=$(dpkg-deb -f "$deb" Depends)
echo "package: $(basename "$deb"), Depends: $depends"
[[ $(basename "$deb") == "quillbase_${version}_amd64.deb" ]] || fail "package named $(basename "$deb")"
for needed in libc6 libqt6widgets6 libqt6printsupport6 libcups2 libhunspell fonts-liberation2; do
  [[ $depends == *"$needed"* ]] || fail "Depends lacks $needed"
done

# Tags the README explains under "Install" are the only ones allowed.
lintian --fail-on error,warning --suppress-tags-from-file "$source_dir/data/package/lintian-explained" "$deb" \
  || fail "lintian"

root=$scratch/root
dpkg-deb -x "$deb" "$root"
desktop-file-validate "$root"/usr/share/applications/*.desktop || fail "desktop-file-validate"
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml || fail "appstreamcli validate"
for size in 16 22 24 32 48 64 128 256; do
  [[ -s $root/usr/share/icons/hicolor/${size}x${size}/apps/quillbase.png ]] || fail "no ${size}px icon"
done
[[ -s $root/usr/share/icons/hicolor/scalable/apps/quillbase.svg ]] || fail "no scalable icon"
for page in quillbase qbtool; do
  zcat "$root/usr/share/man/man1/$page.1.gz" | grep -q '^\.TH "'"$page"'" "1"' || fail "man page $page(1)"
done

# Each run gets a home and a socket folder of its own, like a new user.
run() {
  local home=$1; shift
  mkdir -p "$home"
  env -i PATH=/usr/bin:/bin HOME="$home" TMPDIR="$home" QT_QPA_PLATFORM=offscreen timeout 60 "$@"
}

# qbtool reads a table written by another engine: the count its notes give.
fixture=$source_dir/tests/data/xbase-independent/addr500/ADDR.DBF
count=$(run "$scratch/home0" "$root/usr/bin/qbtool" count "$fixture" 'UPPER(STATE)="CA" .and. !ISDEL' --deleted)
[[ $count == 83 ]] || fail "qbtool count gave '$count'"

[[ $(run "$scratch/home0" "$root/usr/bin/quillbase" --version) == "Quillbase $version" ]] || fail "quillbase --version"

# The first start of an installed copy: the per-user folder, filled from the
# installed sysdata, and its first database.
home=$scratch/home1
run "$home" "$root/usr/bin/quillbase" --quit-after-start || fail "quillbase --quit-after-start: status $?"
user=$home/.local/share/Quillbase
[[ -f $user/DATA/add0001.DBF ]] || fail "no first database in $user/DATA"
cmp -s "$user/sysdata/CSZ.DBF" "$root/usr/share/quillbase/sysdata/CSZ.DBF" || fail "sysdata not copied to $user"
grep -q "add0001.DBF" "$user/QUILLB.ini" || fail "QUILLB.ini does not name the first database"
[[ $(run "$home" "$root/usr/bin/qbtool" check "$user/DATA/add0001.DBF") == ok ]] || fail "first database not whole"

# A database named on the command line is the one opened.
for ext in DBF CDX FPT; do
  cp "$user/DATA/add0001.$ext" "$scratch/OTHER.$ext"
done
run "$home" "$root/usr/bin/quillbase" --quit-after-start "$scratch/OTHER.DBF" || fail "quillbase FILE: status $?"
grep -q "OTHER.DBF" "$user/QUILLB.ini" || fail "the named database was not opened"

# Moved elsewhere, the tree still finds its system tables: qbtool's state and
# zip check reads CSZ.DBF through the user's folder of a new user.
mv "$root/usr" "$root/moved"
out=$(run "$scratch/home2" "$root/moved/bin/qbtool" statezip "$user/DATA/add0001.DBF") || fail "qbtool statezip: $out"
[[ $out == *"found 0"* ]] || fail "qbtool statezip said '$out'"
[[ -f $scratch/home2/.local/share/Quillbase/sysdata/CSZ.DBF ]] || fail "moved tree did not fill the user's folder"
echo "package test passed"
