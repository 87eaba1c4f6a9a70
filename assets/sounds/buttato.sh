#!/bin/sh
# Into the bin: a low thud with a short rattle of the lid.
set -eu
out="$1"; tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT
sox -n -r 44100 -c 1 "$tmp/t.wav" synth 0.45 sine 95-42 fade q 0.003 0.45 0.4 gain -n -3
sox -n -r 44100 -c 1 "$tmp/n.wav" synth 0.18 brownnoise gain -8 lowpass 500 fade q 0.002 0.18 0.16 gain -n -8
sox -n -r 44100 -c 1 "$tmp/r.wav" synth 0.16 square 310 gain -12 tremolo 32 90 lowpass 2200 fade q 0.002 0.16 0.14 gain -n -20
sox "$tmp/r.wav" "$tmp/r2.wav" pad 0.08
sox -m "$tmp/t.wav" "$tmp/n.wav" "$tmp/r2.wav" "$out" gain -n -2
