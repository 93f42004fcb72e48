#!/usr/bin/env bash
# Usage: check_format.sh CLANG_FORMAT, run from the repository's top folder.
# Lists the C++ files that clang-format would change and fails if there are any.
set -euo pipefail
clang_format=$1
mapfile -d '' files < <(git ls-files -z -- '*.cpp' '*.h')
# One run over every file; its warnings name the files it would change.
unformatted=$("$clang_format" --dry-run "${files[@]}" 2>&1 | sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: warning: .*/\1/p' | sort -u)
if [ -n "$unformatted" ]; then
  echo "not in clang-format's shape (clang-format -i mends it):" >&2
  printf '  %s\n' $unformatted >&2
  exit 1
fi
echo "all ${#files[@]} C++ files formatted"
