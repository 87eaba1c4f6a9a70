#!/bin/sh
# A counter bell: two bright strikes, a major third apart, ringing out.
set -eu
out="$1"; tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT
strike() { # frequency, its bell overtone (2.76 times higher), file
  sox -n -r 44100 -c 2 "$tmp/s.wav" synth 1.1 sine "$1" sine "$2" remix 1v0.8,2v0.25
  sox "$tmp/s.wav" "$3" fade q 0.004 1.1 1.05 gain -n -3
}
strike 1318.5 3639.1 "$tmp/a.wav"
strike 1046.5 2888.3 "$tmp/b.wav"
sox "$tmp/b.wav" "$tmp/b2.wav" pad 0.16
sox -m "$tmp/a.wav" "$tmp/b2.wav" -c 1 "$out" gain -6 reverb 30 50 60 gain -n -2 fade q 0 1.2 0.3
