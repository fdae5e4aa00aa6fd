#!/usr/bin/env bash
# What `cmake --install` puts in place: the game, its desktop entry and its
# icons at every size of the hicolor theme, and nothing else (no tests, no
# quorvel-sim, no tools). The desktop entry passes desktop-file-validate.
# Usage: install_test.sh BUILD_DIR [CMAKE]
set -uo pipefail
source "$(dirname "$0")/../support/checks.sh"

build=$1
cmake=${2:-cmake}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

sizes=(16 32 48 64 128)
expected=(bin/quorvel share/applications/quorvel.desktop)
for s in "${sizes[@]}"; do expected+=("share/icons/hicolor/${s}x${s}/apps/quorvel.png"); done

if ! "$cmake" --install "$build" --prefix "$work/prefix" >"$work/install.log" 2>&1; then
  cat "$work/install.log"
  echo "not ok - cmake --install"
  exit 1
fi
prefix=$work/prefix

listed=$(cd "$prefix" && find . -type f -o -type l | sed 's|^\./||' | sort)
wanted=$(printf '%s\n' "${expected[@]}" | sort)
check "installs exactly the game, the entry and ${#sizes[@]} icons" test "$listed" = "$wanted"
[[ $listed == "$wanted" ]] || diff <(echo "$wanted") <(echo "$listed")
check "the game is executable" test -x "$prefix/bin/quorvel"

entry=$prefix/share/applications/quorvel.desktop
validate_quietly() {  # errors, warnings and hints all count
  local out
  out=$(desktop-file-validate "$1" 2>&1) && [[ -z $out ]] || { echo "$out"; return 1; }
}
check "desktop-file-validate passes on the entry" validate_quietly "$entry"
has() { grep -qxF "$1" "$entry"; }
for line in "Type=Application" "Name=Quorvel" "Exec=quorvel" "Icon=quorvel" \
  "Categories=Game;ArcadeGame;" "Terminal=false"; do
  check "entry has $line" has "$line"
done
has_key() { awk -F= -v k="$1" '$1 == k && $2 != "" {found = 1} END {exit !found}' "$entry"; }
for key in "Name[ja]" "Comment" "Comment[ja]"; do
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
