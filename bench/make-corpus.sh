#!/usr/bin/env bash
# Builds a benchmark corpus of real files of this machine: shared
# libraries, message catalogues, documentation and headers, nested 2 to 5
# levels deep. The selection is deterministic for a given machine.
#   bench/make-corpus.sh DEST [TOTAL_MB]
set -eu
dest=$1
total_mb=${2:-400}
rm -rf "$dest"
mkdir -p "$dest"

# source folder, its share of the corpus (percent), name in the corpus
sources=(
  "/usr/lib/x86_64-linux-gnu 55 lib"
  "/usr/share/locale 15 locale"
  "/usr/share/doc 12 doc"
  "/usr/include 18 include"
)
for entry in "${sources[@]}"; do
  read -r src share name <<<"$entry"
  [ -d "$src" ] || continue
  budget=$((total_mb * 1024 * 1024 * share / 100))
  # Regular files at depth 1 to 4 below the source (2 to 5 levels in the
  # corpus), up to 64 MiB each, with names short enough for any output
  # folder of up to 40 bytes; taken in sorted order until the budget is spent.
  (cd "$src" && find . -mindepth 1 -maxdepth 4 -type f -size -65536k -printf '%s %P\n' 2>/dev/null) |
    LC_ALL=C sort -k2 |
    awk -v budget="$budget" -v name="$name" '
      length(name "/" $2) <= 210 && $2 !~ /[\\:*?"<>|]/ {
        if (used + $1 > budget) exit
        used += $1; print $2
      }' |
    while IFS= read -r rel; do
      mkdir -p "$dest/$name/$(dirname "$rel")"
      cp --preserve=timestamps "$src/$rel" "$dest/$name/$rel" 2>/dev/null || true
    done
done
echo "corpus: $(find "$dest" -type f | wc -l) files, $(du -s --apparent-size --block-size=1M "$dest" | cut -f1) MB in $dest"
