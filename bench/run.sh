#!/usr/bin/env bash
# Extraction benchmark: varnox against the extractors users would pick
# instead, on the same corpus of real files, output on disk and on tmpfs.
#
#   bench/run.sh [--rounds N] [--corpus-mb N] [--work DIR] [--fresh]
#
# Builds a corpus (bench/make-corpus.sh), packs it with varnox-pack (zlib
# level 6), zips it (zip -r -6) and tars it (uncompressed), then times,
# interleaved over N rounds with the output folder removed before each run:
# varnox (libdeflate), varnox-zlib (the zlib build), unzip -q, bsdtar and
# 7z on the zip, and tar -xf of the plain tar: the floor, writing the files
# without decoding anything. Every tool's output is checked against the
# corpus byte for byte before timing. Prints medians, min-max, ratios to
# unzip and to the floor, and varnox's peak resident memory.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
rounds=5
corpus_mb=400
work=/tmp/varnox-bench
fresh=0
while [ $# -gt 0 ]; do
  case "$1" in
    --rounds) rounds=$2; shift 2 ;;
    --corpus-mb) corpus_mb=$2; shift 2 ;;
    --work) work=$2; shift 2 ;;
    --fresh) fresh=1; shift ;;
    *) echo "usage: bench/run.sh [--rounds N] [--corpus-mb N] [--work DIR] [--fresh]" >&2; exit 2 ;;
  esac
done

"$root/scripts/install-deps.sh" bench
"$root/scripts/build.sh" >/dev/null
build=${VARNOX_BUILD_DIR:-$root/build}

mkdir -p "$work"
if [ $fresh = 1 ] || [ "$(cat "$work/corpus.stamp" 2>/dev/null)" != "$corpus_mb" ]; then
  rm -f "$work/corpus.stamp"
  "$root/bench/make-corpus.sh" "$work/corpus" "$corpus_mb"
  rm -f "$work"/pack.* "$work"/corpus.zip "$work"/corpus.tar
  "$build/tools/varnox-pack" -6 "$work/corpus" "$work/pack.idx" | tee "$work/pack.log"
  (cd "$work/corpus" && zip -r -6 -q "$work/corpus.zip" .)
  tar -cf "$work/corpus.tar" -C "$work/corpus" .
  echo "$corpus_mb" >"$work/corpus.stamp"
fi
files=$(find "$work/corpus" -type f | wc -l)
corpus_bytes=$(du -s --apparent-size --block-size=1 "$work/corpus" | cut -f1)
largest_item=$(sed -n 's/.*largest item with its unpacked size: \([0-9]*\) bytes.*/\1/p' "$work/pack.log")

tools=(varnox varnox-zlib unzip bsdtar 7z tar-floor)
extract() {  # tool, output folder
  case "$1" in
    varnox) "$build/varnox" "$work/pack.idx" "$2" >/dev/null ;;
    varnox-zlib) "$build/varnox-zlib" "$work/pack.idx" "$2" >/dev/null ;;
    unzip) unzip -q "$work/corpus.zip" -d "$2" ;;
    bsdtar) mkdir -p "$2" && bsdtar -xf "$work/corpus.zip" -C "$2" ;;
    7z) 7z x -y -bd "-o$2" "$work/corpus.zip" >/dev/null ;;
    tar-floor) mkdir -p "$2" && tar -xf "$work/corpus.tar" -C "$2" ;;
  esac
}

# median, min and max of the numbers on stdin
stats() { sort -n | awk '{v[NR]=$1} END {m = NR%2 ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2; printf "%d %d %d\n", m, v[1], v[NR]}'; }

echo
echo "corpus: $files files, $((corpus_bytes / 1048576)) MiB; archive $(($(stat -c %s "$work/pack.dat") / 1048576)) MiB," \
  "zip $(($(stat -c %s "$work/corpus.zip") / 1048576)) MiB; $rounds rounds"
echo "machine: $(nproc) cores, $(sed -n 's/model name\s*: //p' /proc/cpuinfo | head -1), $(uname -r)"
echo "date: $(date -u '+%Y-%m-%d %H:%M UTC')"

for place in "disk:/tmp/varnox-bench-out" "tmpfs:/dev/shm/varnox-bench-out"; do
  label=${place%%:*}
  out=${place#*:}
  times="$work/times-$label"
  rm -rf "$out" "$times"
  mkdir -p "$times"
  # Check every tool's output once; this also warms the page cache.
  for tool in "${tools[@]}"; do
    extract "$tool" "$out"
    if ! diff -rq "$work/corpus" "$out" >/dev/null; then
      echo "$tool: output on $label differs from the corpus" >&2
      exit 1
    fi
    rm -rf "$out"
  done
  for round in $(seq "$rounds"); do
    # Rotate the order each round, so no tool always runs after the same one.
    for i in "${!tools[@]}"; do
      tool=${tools[$(((i + round) % ${#tools[@]}))]}
      rm -rf "$out"
      sync
      start=$(date +%s%N)
      /usr/bin/time -f %M -o "$times/$tool.rss.$round" bash -c "$(declare -f extract); work='$work' build='$build' extract '$tool' '$out'"
      end=$(date +%s%N)
      echo $(((end - start) / 1000000)) >>"$times/$tool.ms"
    done
  done
  rm -rf "$out"

  read -r unzip_median _ _ < <(stats <"$times/unzip.ms")
  read -r floor_median _ _ < <(stats <"$times/tar-floor.ms")
  echo
  echo "### output on $label ($out)"
  echo
  echo "| tool | median ms | min-max ms | unzip / tool | tool / floor |"
  echo "|---|---:|---:|---:|---:|"
  for tool in "${tools[@]}"; do
    read -r median low high < <(stats <"$times/$tool.ms")
    awk -v t="$tool" -v m="$median" -v l="$low" -v h="$high" -v u="$unzip_median" -v f="$floor_median" \
      'BEGIN {printf "| %s | %d | %d-%d | %.2fx | %.2fx |\n", t, m, l, h, u / m, m / f}'
  done
  read -r zlib_median _ _ < <(stats <"$times/varnox-zlib.ms")
  read -r varnox_median _ _ < <(stats <"$times/varnox.ms")
  peak_kib=$(cat "$times"/varnox.rss.* | sort -n | tail -1)
  awk -v z="$zlib_median" -v v="$varnox_median" 'BEGIN {printf "\nvarnox-zlib / varnox: %.2fx\n", z / v}'
  echo "varnox peak resident memory: $((peak_kib / 1024)) MiB; largest item + its unpacked size + 16 MiB:" \
    "$(((largest_item + 16 * 1048576) / 1048576)) MiB"
done
