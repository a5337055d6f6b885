#!/usr/bin/env bash
# The editor's folders are layers: vantrell/CMakeLists.txt lists them lowest first, and a folder's code
# may include only its own folder and the folders listed before it (tests may include anything).
# Prints every include that reaches up a layer and exits non-zero when there is one.
set -euo pipefail
cd "$(dirname "$0")/.."

order=$(sed -n '/^foreach(dir /,/)/p' vantrell/CMakeLists.txt | sed 's/foreach(dir//; s/)//' | tr -s ' \n' '\n' | grep -v '^$')
rank_of() {
  # The longest listed folder that holds the path (grid/core before grid).
  local path=$1 best="" best_rank=-1 i=0
  for dir in $order; do
    case "$path" in
      "$dir"/*) if [ ${#dir} -gt ${#best} ]; then best=$dir; best_rank=$i; fi ;;
    esac
    i=$((i + 1))
  done
  echo "$best_rank $best"
}

bad=0
while IFS= read -r file; do
  rel=${file#vantrell/}
  case "$rel" in */tests/*|tests/*) continue ;; esac
  read -r own own_dir < <(rank_of "$rel")
  [ "$own" -ge 0 ] || continue
  while IFS= read -r inc; do
    read -r target target_dir < <(rank_of "$inc")
    if [ "$target" -gt "$own" ]; then
      echo "$file includes vantrell/$inc: $own_dir/ lies below $target_dir/"
      bad=1
    fi
  done < <(sed -n 's/^#include "vantrell\/\([^"]*\)".*/\1/p' "$file")
done < <(git ls-files -co --exclude-standard 'vantrell/*.h' 'vantrell/*.cpp')

if [ "$bad" -ne 0 ]; then
  echo "An include reaches up a layer (order: $(echo $order))." >&2
  exit 1
fi
