#!/bin/bash
# Fails on any C++ file of the project that clang-format would change.
#   tools/check_format.sh CLANG_FORMAT [SOURCE_DIR]
set -u
format=$1
root=$(cd "${2:-$(dirname "$0")/..}" && pwd)
cd "$root" || exit 2
mapfile -t files < <(find . \( -name 'build*' -o -name .git \) -prune -o \
                          -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.c' \) -print | sort)
report=$("$format" --dry-run --style=file "${files[@]}" 2>&1)
differ=$(grep -oE '^[^:]+\.(cpp|h|c):[0-9]+:[0-9]+: (warning|error)' <<<"$report" | cut -d: -f1 | sort -u)
for file in $differ; do
  echo "${file#./}: differs from .clang-format (run: $format -i ${file#./})"
done
count=$(grep -c . <<<"$differ")
echo "${#files[@]} files read, $count differ"
[ "$count" -eq 0 ]
