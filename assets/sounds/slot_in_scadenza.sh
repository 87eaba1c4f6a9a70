#!/bin/sh
# A customer is losing patience: a clock ticking, tick and tock, a little faster at the end.
set -eu
out="$1"; tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT
sox -n -r 44100 -c 1 "$tmp/tick.wav" synth 0.035 sine 2100 fade q 0.001 0.035 0.03 gain -n -6
sox -n -r 44100 -c 1 "$tmp/tock.wav" synth 0.035 sine 1500 fade q 0.001 0.035 0.03 gain -n -6
sox "$tmp/tick.wav" "$tmp/a.wav" pad 0 0.22
sox "$tmp/tock.wav" "$tmp/b.wav" pad 0 0.22
sox "$tmp/tick.wav" "$tmp/c.wav" pad 0 0.14
sox "$tmp/tock.wav" "$tmp/d.wav" pad 0 0.14
sox "$tmp/a.wav" "$tmp/b.wav" "$tmp/a.wav" "$tmp/b.wav" "$tmp/c.wav" "$tmp/d.wav" "$out" gain -n -3
