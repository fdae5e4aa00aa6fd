#!/usr/bin/env bash
# The Debian package as `cpack -G DEB` builds it from a Release build folder:
# its control fields, a Depends that covers every library the game links plus
# the font, and contents (dpkg -c, dpkg -x into a scratch root) of exactly the
# game in /usr/games, its desktop entry, icons, manual page, AppStream
# metadata, copyright and changelog, with nothing of the tests or
# quorvel-sim. Then what a Debian maintainer runs: lintian (no error, no
# warning), appstreamcli validate, man on the page, hardening-check on the
# game. The package is written to a scratch folder, not the build's.
# Usage: deb_test.sh BUILD_DIR [CPACK]
set -uo pipefail
source "$(dirname "$0")/../support/checks.sh"

build=$1
cpack=${2:-cpack}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if ! (cd "$build" && "$cpack" -G DEB -B "$work/out") >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log"
  echo "not ok - cpack -G DEB"
  exit 1
fi
debs=("$work"/out/quorvel_*.deb)
check "one package named quorvel_VERSION_ARCH.deb" test "${#debs[@]}" -eq 1 -a -f "${debs[0]}"
deb=${debs[0]}
[[ -f $deb ]] || exit 1
echo "# $(basename "$deb"): $(stat -c %s "$deb") bytes"

field() { dpkg-deb -f "$deb" "$1"; }
check "Package is quorvel" test "$(field Package)" = quorvel
check "Section is games" test "$(field Section)" = games
check "Architecture is this machine's" test "$(field Architecture)" = "$(dpkg --print-architecture)"
check "Maintainer is a name and an address" grep -qE '^.+ <[^ >]+@[^ >]+>$' <<<"$(field Maintainer)"
check "Description has a summary and a body" test "$(field Description | wc -l)" -ge 2
check "Description lines fit in 80 columns" test "$(field Description | awk 'length($0) > 80' | wc -l)" -eq 0

# Depends: package names only, versions and alternatives dropped.
depends=$(field Depends | tr ',|' '\n\n' | sed 's/(.*)//; s/[[:space:]]//g' | grep . | sort -u)
depends_on() { grep -qxF "$1" <<<"$depends"; }
named=$(field Depends | tr ',' '\n' | sed 's/(.*)//; s/[[:space:]]//g' | grep .)
check "Depends names every package once ($(uniq -d <<<"$(sort <<<"$named")"))" \
  test "$(sort <<<"$named" | uniq -d)" = ""
for p in fonts-ipafont-gothic libsdl2-2.0-0 libsdl2-ttf-2.0-0 libfontconfig1; do
  check "Depends names $p" depends_on "$p"
done

dpkg -c "$deb" >"$work/contents" 2>&1
files=$(awk '$1 !~ /^d/ {print $6}' "$work/contents" | sed 's|^\./||' | sort)
expected=(usr/games/quorvel usr/share/applications/quorvel.desktop usr/share/man/man6/quorvel.6.gz
  usr/share/metainfo/quorvel.metainfo.xml usr/share/doc/quorvel/copyright
  usr/share/doc/quorvel/changelog.gz)
for s in 16 32 48 64 128; do expected+=("usr/share/icons/hicolor/${s}x${s}/apps/quorvel.png"); done
wanted=$(printf '%s\n' "${expected[@]}" | sort)
check "dpkg -c: exactly the game, the entry, 5 icons, the manual and the metadata" \
  test "$files" = "$wanted"
[[ $files == "$wanted" ]] || diff <(echo "$wanted") <(echo "$files")
no_extras() { ! grep -Eq 'quorvel-sim|quorvel-icon|test|bench|send_wm_delete|\.a$|include/' "$work/contents"; }
check "dpkg -c: nothing of quorvel-sim, tests, benchmarks or tools" no_extras

root=$work/root
dpkg -x "$deb" "$root"
game=$root/usr/games/quorvel
check "the game is in /usr/games and executable" test -x "$game"
stripped() { ! objdump -h "$game" | grep -q '\.debug_info'; }
check "the game is stripped" stripped
validate_quietly() {  # errors, warnings and hints all count
  local out
  out=$(desktop-file-validate "$1" 2>&1) && [[ -z $out ]] || { echo "$out"; return 1; }
}
entry=$root/usr/share/applications/quorvel.desktop
check "the desktop entry passes desktop-file-validate" validate_quietly "$entry"
check "the desktop entry starts /usr/games/quorvel" grep -qxF "Exec=/usr/games/quorvel" "$entry"
for s in 16 32 48 64 128; do
  icon=$root/usr/share/icons/hicolor/${s}x${s}/apps/quorvel.png
  check "${s}x${s} icon" test "$(identify -format '%wx%h %A' "$icon" 2>&1)" = "${s}x${s} True"
done

# Running lintian as root costs a note of its own on stderr; only tags count.
lintian_clean() {
  local out
  out=$(lintian --fail-on error,warning "$deb" 2>&1) || { echo "$out"; return 1; }
  ! grep -E '^[EW]: ' <<<"$out"
}
check "lintian: no error and no warning" lintian_clean
# The id is the plain name: the project has no domain of its own for a
# reverse-DNS one, which is the one warning let through.
appstream_valid() {
  appstreamcli validate --no-net --override=cid-desktopapp-is-not-rdns=info \
    "$root/usr/share/metainfo/quorvel.metainfo.xml"
}
check "appstreamcli validate passes on the metadata" appstream_valid
page=$root/usr/share/man/man6/quorvel.6.gz
man_quietly() {  # as lintian reads a page: any groff or man warning counts
  local out
  out=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null) &&
    [[ -z $out ]] || { echo "$out"; return 1; }
}
check "man -l renders the page without a warning" man_quietly
headings=$(MANWIDTH=80 man -l "$page" 2>/dev/null | grep -E '^[A-Z][A-Z ]+$')
for h in NAME SYNOPSIS DESCRIPTION OPTIONS CONTROLS FILES ENVIRONMENT "EXIT STATUS" EXAMPLES; do
  check "the manual page has $h" grep -qxF "$h" <<<"$headings"
done
# Control-flow protection needs every object linked, the C library's start
# files included, marked IBT and SHSTK; Debian 12's are not, so there that
# line applies to no program.
cet_start_files() {
  local f
  for f in Scrt1.o crti.o crtn.o; do
    readelf -n "$(gcc -print-file-name=$f)" 2>/dev/null | grep -q 'x86 feature: IBT, SHSTK' || return 1
  done
}
hardening_options=()
cet_start_files || hardening_options+=(--nocfprotection)
check "hardening-check ${hardening_options[*]} passes on the game" \
  hardening-check "${hardening_options[@]}" "$game"

# The package that owns a library file; dpkg may know it under /lib or
# /usr/lib (merged /usr), by its link name or by the file it points to.
owner_of() {
  local path=$1 candidate resolved
  resolved=$(readlink -f "$path")
  for candidate in "$path" "$resolved" "${path#/usr}" "/usr$path" "${resolved#/usr}" "/usr$resolved"; do
    dpkg -S "$candidate" 2>/dev/null | head -1 | cut -d: -f1 && return 0
  done
  return 1
}

# Every library the game links comes from a package that Depends names.
needed=$(objdump -p "$game" | awk '/NEEDED/ {print $2}')
for lib in $needed; do
  path=$(ldconfig -p | awk -v l="$lib" '$1 == l {print $NF; exit}')
  owner=""
  [[ -n $path ]] && owner=$(owner_of "$path")
  if [[ -z $owner ]]; then
    check "$lib: found and owned by a package" false
    continue
  fi
  check "$lib comes from $owner, which Depends names" depends_on "$owner"
done

echo "$passes passed, $failures failed"
((failures == 0))
