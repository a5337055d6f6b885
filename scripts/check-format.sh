#!/usr/bin/env bash
# scripts/check-format.sh: checks every C++ file of the checkout against the .clang-format in the repo
# root, changing nothing. Lists the files that are not formatted and exits 1 when there are any; exits
# 2 when the check cannot run (no clang-format, or a .clang-format it does not accept).
# In a git checkout the files are the tracked ones plus new files git does not ignore; elsewhere every
# *.cpp and *.h outside build/. CLANG_FORMAT=<program> picks the formatter; by default the one of
# Debian 12 (clang-format-14), since another version may lay the same code out differently.
set -euo pipefail
cd "$(dirname "$0")/.."

formatter="${CLANG_FORMAT:-}"
if [ -z "$formatter" ]; then
  for candidate in clang-format-14 clang-format; do
    if command -v "$candidate" >/dev/null; then formatter="$candidate"; break; fi
  done
fi
if [ -z "$formatter" ] || ! command -v "$formatter" >/dev/null; then
  echo "check-format: no clang-format found (scripts/install-deps.sh installs it)" >&2
  exit 2
fi

# A broken style file would otherwise show up as every file being unformatted.
if ! "$formatter" --style=file --assume-filename=check.cpp --dump-config >/dev/null; then
  echo "check-format: $formatter does not accept .clang-format" >&2
  exit 2
fi

files=()
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  # Tracked files deleted in the working tree are left out: there is nothing to format.
  while IFS= read -r -d '' f; do
    if [ -f "$f" ]; then files+=("$f"); fi
  done < <(git ls-files -z --cached --others --exclude-standard -- '*.cpp' '*.h' | sort -zu)
else
  while IFS= read -r -d '' f; do
    files+=("${f#./}")
  done < <(find . \( -path ./build -o -path ./.git \) -prune -o -type f \( -name '*.cpp' -o -name '*.h' \) \
               -print0 | sort -z)
fi

unformatted=()
for f in "${files[@]}"; do
  if ! "$formatter" --style=file --dry-run --Werror --ferror-limit=1 "$f" >/dev/null 2>&1; then
    unformatted+=("$f")
  fi
done

if [ ${#unformatted[@]} -gt 0 ]; then
  printf '%s\n' "${unformatted[@]}"
  echo "check-format: ${#unformatted[@]} of ${#files[@]} files are not formatted ($("$formatter" --version))." >&2
  echo "check-format: $formatter -i <file> formats one in place." >&2
  exit 1
fi
echo "check-format: all ${#files[@]} files formatted."
