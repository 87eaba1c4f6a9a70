#!/usr/bin/env bash
# Builds both packages, unpacks the game's into a temporary root, validates its
# desktop entry and metadata, and starts the unpacked game with a fresh home
# from an empty folder: it draws the welcome screen and writes nothing there.
set -euo pipefail
build=$1 headless=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$tmp/out" >"$tmp/cpack.log" || { cat "$tmp/cpack.log"; exit 1; }
game=$(echo "$tmp"/out/pelmora_*.deb) server=$(echo "$tmp"/out/pelmora-server_*.deb)
# Read whole before grep: grep -q stops early and would break dpkg-deb's pipe.
depends=$(dpkg-deb -f "$game" Depends) listing=$(dpkg-deb -c "$server")
grep -q 'libsdl2-2.0-0' <<<"$depends"
# Opened at run time, so named by hand rather than found in the binary.
grep -q 'libcurl4 (>= 7.85.0)' <<<"$depends"
grep -q 'libsdl2-mixer-2.0-0' <<<"$depends"
grep -q ' ./usr/bin/pelmora-server$' <<<"$listing"
grep -q ' ./usr/lib/systemd/system/pelmora-server.service$' <<<"$listing"

root=$tmp/root
dpkg-deb -x "$game" "$root"
desktop-file-validate "$root"/usr/share/applications/*.desktop
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml

# The headless runner beside the unpacked game finds the data as the game does.
cp "$headless" "$root/usr/games/"
mkdir "$tmp/home" "$tmp/empty"
cd "$tmp/empty"
fresh=(env -i "HOME=$tmp/home" PATH=/usr/bin:/bin SDL_AUDIODRIVER=dummy)
# A fresh environment, but the sanitizer build keeps its options (the leak suppressions).
for v in ASAN_OPTIONS UBSAN_OPTIONS LSAN_OPTIONS; do [ -n "${!v:-}" ] && fresh+=("$v=${!v}"); done
shot=(--website http://127.0.0.1:9 --seed 1 --frames 60 --shot)
"${fresh[@]}" "$root/usr/games/pelmora-headless" "${shot[@]}" "$tmp/unpacked.png@59" >/dev/null
"${fresh[@]}" "$headless" "${shot[@]}" "$tmp/built.png@59" >/dev/null
[ "$(identify -format %k "$tmp/unpacked.png")" -gt 1000 ]
compare -metric AE "$tmp/unpacked.png" "$tmp/built.png" null: 2>/dev/null

# The game itself gets past its data and stops only for want of a display.
if out=$("${fresh[@]}" "$root/usr/games/pelmora" 2>&1); then exit 1; fi
grep -q 'no display' <<<"$out"
if out=$("${fresh[@]}" "$root/usr/games/pelmora" --data "$tmp/none" 2>&1); then exit 1; fi
grep -q "assets.dat) is not in $tmp/none" <<<"$out"

[ -z "$(ls -A "$tmp/empty")" ]
