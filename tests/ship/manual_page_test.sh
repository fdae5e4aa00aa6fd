#!/usr/bin/env bash
# The manual page and the release files against the game itself: every option
# that `quorvel --help` prints has its entry under OPTIONS in data/quorvel.6,
# and the page has no other; the page, the CHANGELOG's first entry and the
# AppStream metadata's first release all name the version `quorvel --version`
# prints, and the CHANGELOG and the metadata agree on its date; the metadata's
# launchable and categories are the desktop entry's.
# Usage: manual_page_test.sh QUORVEL SOURCE_DIR
set -uo pipefail
source "$(dirname "$0")/../support/checks.sh"

game=$1
src=$2
page=$src/data/quorvel.6
metainfo=$src/data/quorvel.metainfo.xml

# Options in --help: the first column of the lines that start with one.
help_options=$("$game" --help | grep -E '^[[:space:]]+-' | sed -E 's/^[[:space:]]+//; s/ {2,}.*//' |
  grep -oE '(^|[ ,])--?[A-Za-z0-9][-A-Za-z0-9]*' | tr -d ' ,' | sort -u)
# Options in the page: the tag line of each entry of the OPTIONS section.
page_options=$(awk '/^\.SH /{on = ($2 == "OPTIONS")} on && tag {print} {tag = on && /^\.TP/}' "$page" |
  sed 's/\\-/-/g' | grep -oE '(^|[ ,])--?[A-Za-z0-9][-A-Za-z0-9]*' | tr -d ' ,' | sort -u)
check "--help lists options ($(echo $help_options))" test -n "$help_options"
check "the page's OPTIONS are exactly those of --help ($(echo $page_options))" \
  test "$help_options" = "$page_options"
[[ $help_options == "$page_options" ]] || diff <(echo "$help_options") <(echo "$page_options")

version=$("$game" --version | awk '{print $2}')
th_version=$(awk '/^\.TH /' "$page" | grep -oE '"Quorvel [^"]+"' | tr -d '"' | awk '{print $2}')
check "the page is for version $version ($th_version)" test "$th_version" = "$version"
changelog_version=$(dpkg-parsechangelog -l "$src/CHANGELOG" -S Version)
check "the CHANGELOG's first entry is $version ($changelog_version)" \
  test "$changelog_version" = "$version"
first_release=$(grep -m1 -oE '<release version="[^"]+" date="[^"]+"' "$metainfo")
changelog_date=$(date -u -d "$(dpkg-parsechangelog -l "$src/CHANGELOG" -S Date)" +%F)
check "the metadata's first release is $version of $changelog_date ($first_release)" \
  test "$first_release" = "<release version=\"$version\" date=\"$changelog_date\""

entry=$src/data/quorvel.desktop
check "the metadata launches quorvel.desktop" \
  grep -qF '<launchable type="desktop-id">quorvel.desktop</launchable>' "$metainfo"
categories=$(grep -oE '<category>[^<]+' "$metainfo" | sed 's/<category>//' | tr '\n' ';')
check "the metadata's categories are the entry's ($categories)" \
  grep -qxF "Categories=$categories" "$entry"

echo "$passes passed, $failures failed"
((failures == 0))
