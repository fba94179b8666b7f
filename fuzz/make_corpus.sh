#!/usr/bin/env bash
# Regenerates the seed corpora from sources with our own compiler:
#   corpus/compiler/  the sources themselves
#   corpus/dump/      the compiled movies
#   corpus/movie/     the movies behind a few control prefixes (see
#                     fuzz_movie.cpp): whole and in blocks, every pixel
#                     format, with and without anti-aliasing, zoomed
# Sources: the samples, the compiler's test corpus and fuzz/seeds/. Inputs
# that found faults (crash-*, named by what they found) are kept as they are.
# Usage: fuzz/make_corpus.sh [LMRC]   (default build/bin/lmrc)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
lmrc=${1:-$root/build/bin/lmrc}
out=$root/fuzz/corpus
[ -x "$lmrc" ] || { echo "no compiler at $lmrc: run ./run.sh build first" >&2; exit 1; }
mkdir -p "$out/movie" "$out/compiler" "$out/dump"
find "$out" -type f ! -name 'crash-*' -delete

# Control prefixes: block size, format/view bits, teardown, seek pattern,
# split pattern. One each for a few ways a browser delivers and shows a movie.
prefixes=(
  '\x00\x07\x00\x00\x10\x20\x30\x40'  # all at once, 32 bits, fitted
  '\x07\x0b\x00\xe4\x10\x80\x30\xf0'  # 7-byte blocks, 8 bits anti-aliased, seeks back
  '\xf0\x20\x00\x1b\x00\x05\x02\x40'  # varying blocks, 1 bit, no border
  '\x01\xd9\x09\x6c\x80\x80\x80\x80'  # byte by byte, 16 bits 5-6-5 anti-aliased, zoomed, torn down
  '\x00\xfe\x00\x00\x40\xc0\x40\xc0'  # all at once, 24 bits anti-aliased bottom-up, huge zoom
)

i=0
for src in "$root"/samples/*.lms "$root"/tools/lmrc/tests/corpus/*.lms "$root"/fuzz/seeds/*.lms; do
  name=$(basename "$src" .lms)
  movie=$(mktemp)
  if ! (cd "$(dirname "$src")" && "$lmrc" "$(basename "$src")" -o "$movie") 2>/dev/null; then
    echo "skipped $src (does not compile here)" >&2
    rm -f "$movie"
    continue
  fi
  cp "$src" "$out/compiler/$name.lms"
  cp "$movie" "$out/dump/$name.lmr"
  # Two prefixes per movie, in turn, so every prefix is used.
  for k in 0 1; do
    p=${prefixes[$(((i + k) % ${#prefixes[@]}))]}
    { printf "$p"; cat "$movie"; } >"$out/movie/$name-$k.bin"
  done
  i=$((i + 2))
  rm -f "$movie"
done
echo "corpus: $(find "$out/movie" -type f | wc -l) movie, $(find "$out/compiler" -type f | wc -l) compiler, $(find "$out/dump" -type f | wc -l) dump inputs"
