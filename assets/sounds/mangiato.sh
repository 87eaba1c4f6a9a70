#!/bin/sh
# A happy bite: two quick crunches, then a rising "mmm!".
set -eu
out="$1"; tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT
sox -n -r 44100 -c 1 "$tmp/c.wav" synth 0.07 pinknoise fade q 0.002 0.07 0.06 highpass 900 lowpass 5000 gain -n -6
sox "$tmp/c.wav" "$tmp/c2.wav" pad 0 0.06
sox "$tmp/c2.wav" "$tmp/c2.wav" "$tmp/crunch.wav"
sox -n -r 44100 -c 1 "$tmp/y.wav" synth 0.32 sine 420-880 tremolo 18 40 fade q 0.02 0.32 0.12 gain -n -5
sox "$tmp/y.wav" "$tmp/y2.wav" pad 0.24
sox -m "$tmp/crunch.wav" "$tmp/y2.wav" "$out" gain -n -2
