#!/usr/bin/env bash
# What `cmake --install` puts in place: the game, its desktop entry, its
# icons at every size of the hicolor theme, its manual page, its AppStream
# metadata, copyright and changelog, and nothing else (no tests, no
# quorvel-sim, no tools). The game's folder follows the prefix: games/ under
# /usr and /usr/local, bin/ anywhere else (~/.local); the desktop entry
# starts it by that path, quoted where the path needs it.
# Usage: install_test.sh BUILD_DIR [CMAKE]
set -uo pipefail
source "$(dirname "$0")/../support/checks.sh"

build=$1
cmake=${2:-cmake}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

install_into() {  # install_into DESTDIR PREFIX
  if ! DESTDIR=$1 "$cmake" --install "$build" --prefix "$2" >"$work/install.log" 2>&1; then
    cat "$work/install.log"
    return 1
  fi
}

# The Exec key's program as the desktop reads it: the string value's escapes
# undone, then the quoting, then %%.
exec_program() {
  local v
  v=$(sed -n 's/^Exec=//p' "$1")
  v=${v//\\\\/\\}
  if [[ $v == \"*\" ]]; then
    v=$(sed 's/\\\(.\)/\1/g' <<<"${v:1:${#v}-2}")
  fi
  printf '%s' "${v//%%/%}"
}

validate_quietly() {  # errors, warnings and hints all count
  local out
  out=$(desktop-file-validate "$1" 2>&1) && [[ -z $out ]] || { echo "$out"; return 1; }
}

# Prefix, and the game's folder under it.
layouts=(
  "/usr|games"
  "/usr/local|games"
  "$work/home/.local|bin"
  "$work/home/a \"b\" \$c %d/.local|bin"
)
for i in "${!layouts[@]}"; do
  IFS='|' read -r prefix game_dir <<<"${layouts[$i]}"
  dest=$work/dest$i
  if ! install_into "$dest" "$prefix"; then
    check "cmake --install --prefix $prefix" false
    continue
  fi
  game=$prefix/$game_dir/quorvel
  check "--prefix $prefix: the game in $game_dir/" test -x "$dest$game"
  entry=$dest$prefix/share/applications/quorvel.desktop
  check "--prefix $prefix: the entry starts $game ($(exec_program "$entry"))" \
    test "$(exec_program "$entry")" = "$game"
  check "--prefix $prefix: the entry passes desktop-file-validate" validate_quietly "$entry"
done

# Everything else, for one user.
prefix=$work/dest2$work/home/.local
sizes=(16 32 48 64 128)
expected=(bin/quorvel share/applications/quorvel.desktop share/man/man6/quorvel.6.gz
  share/metainfo/quorvel.metainfo.xml share/doc/quorvel/copyright share/doc/quorvel/changelog.gz)
for s in "${sizes[@]}"; do expected+=("share/icons/hicolor/${s}x${s}/apps/quorvel.png"); done
listed=$(cd "$prefix" && find . -type f -o -type l | sed 's|^\./||' | sort)
wanted=$(printf '%s\n' "${expected[@]}" | sort)
check "installs exactly the game, the entry, ${#sizes[@]} icons, the manual and the metadata" \
  test "$listed" = "$wanted"
[[ $listed == "$wanted" ]] || diff <(echo "$wanted") <(echo "$listed")

entry=$prefix/share/applications/quorvel.desktop
has() { grep -qxF "$1" "$entry"; }
for line in "Type=Application" "Name=Quorvel" "Icon=quorvel" "Categories=Game;ArcadeGame;" \
  "Terminal=false"; do
  check "entry has $line" has "$line"
done
has_key() { awk -F= -v k="$1" '$1 == k && $2 != "" {found = 1} END {exit !found}' "$entry"; }
for key in "Name[ja]" "Comment" "Comment[ja]" "Keywords" "Keywords[ja]"; do
  check "entry has $key" has_key "$key"
done

# Each icon at its own size, with an alpha channel and transparent corners.
for s in "${sizes[@]}"; do
  icon=$prefix/share/icons/hicolor/${s}x${s}/apps/quorvel.png
  got=$(identify -format '%m %wx%h %A' "$icon" 2>&1)
  check "${s}x${s} icon is a ${s}x${s} PNG with alpha ($got)" \
    test "$got" = "PNG ${s}x${s} True"
  corner=$(convert "$icon" -format '%[fx:int(255*p{0,0}.a)]' info: 2>&1)
  check "${s}x${s} icon has a transparent corner" test "$corner" = 0
done

echo "$passes passed, $failures failed"
((failures == 0))
