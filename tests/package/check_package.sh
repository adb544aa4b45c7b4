#!/usr/bin/env bash
# Checks the Debian package that scripts/build-package.sh made: the file list, the control
# fields, no run path into the build tree, and the programs working from an extracted root (a
# headless script run with an empty settings folder gets the templates of usr/share/norv/); then
# the same script from a setup install of the distribution folder, so both layouts work.
#   tests/package/check_package.sh DEB [DIST]
set -euo pipefail
deb=$1
dist=${2:-}
fail() { echo "check_package: $*" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The file list: what the package must hold, and nothing of the build or the installer.
dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' >"$work/files"
for f in /usr/bin/norv /usr/bin/norvconv /usr/lib/norv/libnorvinet.so \
         /usr/share/norv/NorvOrg.INI /usr/share/norv/NorvOrg.KWD /usr/share/norv/NorvOrg.DAT \
         /usr/share/applications/norv.desktop /usr/share/mime/packages/norv.xml \
         /usr/share/doc/norv/copyright /usr/share/doc/norv/changelog.Debian.gz \
         /usr/share/man/man1/norv.1.gz /usr/share/man/man1/norvconv.1.gz \
         /usr/share/icons/hicolor/scalable/apps/norv.svg \
         /usr/share/norv/manual/index.html /usr/share/norv/manual/keys.html; do
  grep -qx "$f" "$work/files" || fail "missing $f"
done
if grep -E '/setup($|\.INF)|/include/|\.a$|/build' "$work/files"; then fail "unexpected files"; fi
grep -v -E '/$' "$work/files" | grep -v -E '^/usr/(bin|lib/norv|share/(norv|applications|mime/packages|doc/norv|man/man1|icons/hicolor/scalable/apps))/' &&
  fail "files outside the package's places"

# The control fields.
fields=$(dpkg-deb -f "$deb")
for want in "Package: norv" "Section: editors" "Priority: optional" "Architecture: amd64"; do
  grep -qx "$want" <<<"$fields" || fail "control lacks '$want'"
done
grep -q '^Depends: .*libc6' <<<"$fields" || fail "Depends lacks libc6"
grep -q '^Depends: .*libqt6widgets6' <<<"$fields" || fail "Depends lacks Qt 6"
grep -q '^Depends: .*libhunspell-1.7-0' <<<"$fields" || fail "Depends lacks Hunspell"
grep -qx 'Recommends: hunspell-en-us | hunspell-dictionary, hunspell-en-gb, unzip, lhasa, xdg-utils' <<<"$fields" ||
  fail "Recommends"
dpkg-deb -e "$deb" "$work/control"
ls "$work/control" | grep -q -E '^(pre|post)(inst|rm)$' && fail "maintainer scripts"

# The programs from an extracted root.
root="$work/root"
dpkg-deb -x "$deb" "$root"
for elf in usr/bin/norv usr/bin/norvconv usr/lib/norv/libnorvinet.so; do
  if readelf -d "$root/$elf" | grep -E 'RPATH|RUNPATH'; then fail "$elf has a run path"; fi
  strings "$root/$elf" | grep -q "$(cd "$(dirname "$0")/../.." && pwd)" && fail "$elf names the checkout"
done
[ "$("$root/usr/bin/norv" --version)" = "norv 0.1.0" ] || fail "norv --version"
"$root/usr/bin/norvconv" --help | grep -q '^usage: norvconv' || fail "norvconv --help"
run_script() {  # PROGRAM SETTINGS-FOLDER
  # The script also loads the mail library by its short name, as users' scripts do: found in
  # ../lib/norv/ of the package and beside the program of a setup install.
  cat >"$work/hello.nrs" <<'NRS'
DECLARE FUNCTION SetFormValue Lib "norvinet" (field, value)
DECLARE FUNCTION GetFormValue$ Lib "norvinet" (field) AS STRING
MAIN
  MSGBOX("packaged script runs")
  MSGBOX("<" + STR(SetFormValue("subject", "mail library")) + GetFormValue("SUBJECT") + ">")
END MAIN
NRS
  env -i HOME="$work/home" PATH=/usr/bin:/bin NORVHOME="$2" ASAN_OPTIONS=detect_leaks=0 \
    "$1" --headless -A "$work/hello.nrs" 2>"$work/err" || fail "$1: the script run failed"
  grep -q "packaged script runs" "$work/err" || fail "$1: no message from the script"
  grep -q "<1mail library>" "$work/err" || fail "$1: the script did not reach libnorvinet: $(cat "$work/err")"
}
mkdir -p "$work/home" "$work/settings"
run_script "$root/usr/bin/norv" "$work/settings"
for t in INI KWD DAT; do
  cmp -s "$work/settings/norv.$t" "$root/usr/share/norv/NorvOrg.$t" ||
    fail "norv.$t was not made from usr/share/norv/NorvOrg.$t"
done

# The same from a setup install (everything in one folder).
if [ -n "$dist" ]; then
  user=""
  [ "$(id -u)" -ne 0 ] || user=--user
  h="$work/setup-home"
  mkdir -p "$h/tmp"
  HOME="$h" XDG_DATA_HOME="$h/share" XDG_CONFIG_HOME="$h/config" TMPDIR="$h/tmp" \
    ASAN_OPTIONS=detect_leaks=0 "$dist/setup" --headless $user --target "$h/norv" 2>/dev/null ||
    fail "setup install"
  mkdir -p "$work/settings2"
  run_script "$h/norv/norv" "$work/settings2"
  cmp -s "$work/settings2/norv.INI" "$h/norv/NorvOrg.INI" || fail "setup layout templates"
fi
echo "check_package: $deb is fine"
