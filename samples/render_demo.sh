#!/usr/bin/env bash
# Renders every compiled sample movie: each frame as a thumbnail tiled into
# one contact sheet (labelled with frame numbers), plus the first frame at
# the movie's own size. Usage: render_demo.sh BIN-DIR SAMPLES-DIR OUT-DIR
set -euo pipefail
bin=$1 samples=$2 out=$3
# Frames are rendered until lmr2png reports (exit 3) that the movie has no
# such frame; a movie that loops for ever stops at this many.
max_frames=96
thumb_size=275x200

if [ ! -x "$bin/lmr2png" ]; then
  echo "demo: $bin/lmr2png is not built" >&2
  exit 1
fi
shopt -s nullglob
movies=("$samples"/*.lmr)
if [ "${#movies[@]}" -eq 0 ]; then
  echo "demo: no sample movies in $samples" >&2
  exit 1
fi
mkdir -p "$out"
frames_dir="$out/frames"
rm -rf "$frames_dir"
mkdir -p "$frames_dir"

for movie in "${movies[@]}"; do
  name=$(basename "$movie" .lmr)
  "$bin/lmr2png" "$movie" -o "$out/$name.png" --quality best
  thumbs=()
  for ((n = 0; n < max_frames; n++)); do
    thumb="$frames_dir/$name-$(printf %03d "$n").png"
    status=0
    message=$("$bin/lmr2png" "$movie" -o "$thumb" --frame "$n" --size "$thumb_size" --quality best 2>&1) || status=$?
    if [ "$status" -eq 3 ]; then
      rm -f "$thumb"  # the movie's last frame again, not frame n
      break
    fi
    if [ "$status" -ne 0 ]; then
      echo "demo: lmr2png failed on $movie frame $n (exit $status): $message" >&2
      exit 1
    fi
    thumbs+=("$thumb")
  done
  "$bin/contact_sheet" -o "$out/$name-sheet.png" "${thumbs[@]}"
  echo "$out/$name.png"
  echo "$out/$name-sheet.png (${#thumbs[@]} frames)"
done
