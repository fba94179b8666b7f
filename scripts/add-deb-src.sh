#!/usr/bin/env bash
# Adds deb-src entries for the Debian release this machine runs, taken from
# the package sources it is already configured with (the same servers,
# suites, components and keys), so that `apt-get source` works. Entries of
# other vendors are left alone. Does nothing when the entries exist.
set -euo pipefail
out=/etc/apt/sources.list.d/lumora-deb-src.sources
[ -f "$out" ] && exit 0
codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
[ -n "$codename" ] || { echo "add-deb-src: no release name in /etc/os-release" >&2; exit 1; }

entries=$(
  # deb822 files: every stanza of type deb whose suites name this release.
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    awk -v rel="$codename" '
      function flush() {
        if (stanza != "" && isdeb && hasrel) print stanza "\n"
        stanza = ""; isdeb = 0; hasrel = 0
      }
      /^[[:space:]]*$/ { flush(); next }
      /^#/ { next }
      /^Types:/ { isdeb = ($0 ~ /[[:space:]]deb([[:space:]]|$)/); $0 = "Types: deb-src" }
      /^Suites:/ { hasrel = ($0 ~ ("[[:space:]]" rel "([-[:space:]]|$)")) }
      { stanza = stanza (stanza == "" ? "" : "\n") $0 }
      END { flush() }
    ' "$f"
  done
  # One-line files: each "deb" line for this release becomes a deb822 stanza.
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] || continue
    awk -v rel="$codename" '
      $1 != "deb" { next }
      {
        opts = ""; i = 2
        if ($2 ~ /^\[/) { while ($i !~ /\]$/) { opts = opts " " $i; i++ } opts = opts " " $i; i++ }
        uri = $i; suite = $(i + 1); comps = ""
        for (j = i + 2; j <= NF; j++) comps = comps (comps == "" ? "" : " ") $j
        if (suite !~ ("^" rel "([-/]|$)")) next
        print "Types: deb-src\nURIs: " uri "\nSuites: " suite "\nComponents: " comps
        if (match(opts, /signed-by=[^] ]+/)) print "Signed-By: " substr(opts, RSTART + 10, RLENGTH - 10)
        print ""
      }
    ' "$f"
  done
)
if [ -z "$entries" ]; then
  echo "add-deb-src: no configured Debian source names the release '$codename'" >&2
  exit 1
fi
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
printf '%s\n' "$entries" | "${sudo_cmd[@]}" tee "$out" >/dev/null
echo "added deb-src entries for $codename in $out"
