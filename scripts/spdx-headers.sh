#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Gives every tracked source file the licence's SPDX line as its first line (after a shebang):
# "// ..." in C++, "# ..." in shell, Python, CMake and makefiles. A file that has it already is
# left as it is, so the script can run any number of times.
# Usage: spdx-headers.sh          adds the line where it is missing
#        spdx-headers.sh --check  lists the files without it and fails if there is any
set -euo pipefail
cd "$(git rev-parse --show-toplevel)"

readonly ID='SPDX-License-Identifier: GPL-3.0-or-later'
check=0
case ${1-} in
  --check) check=1 ;;
  '') ;;
  *)
    echo "usage: $0 [--check]" >&2
    exit 2
    ;;
esac

# The comment leader of a file, or nothing for a file that takes no header (data, documents).
leader() {
  case $1 in
    tests/fuzz/corpus/* | tests/data/*) ;;
    *.cpp | *.h) echo '//' ;;
    *.sh | *.py | *.cmake | */CMakeLists.txt | CMakeLists.txt | Makefile | .ci/run | debian/rules) echo '#' ;;
  esac
}

# The header belongs in the first line, or in the second behind a shebang.
has_header() { head -n 2 "$1" | grep -q "$ID"; }

add_header() {
  local file=$1 line="$2 $ID" tmp
  tmp=$(mktemp "$file.XXXXXX")
  if head -n 1 "$file" | grep -q '^#!'; then
    { head -n 1 "$file" && echo "$line" && tail -n +2 "$file"; } >"$tmp"
  else
    { echo "$line" && cat "$file"; } >"$tmp"
  fi
  chmod --reference="$file" "$tmp"
  mv "$tmp" "$file"
}

missing=0
while IFS= read -r -d '' file; do
  [ -f "$file" ] || continue
  lead=$(leader "$file")
  [ -n "$lead" ] || continue
  has_header "$file" && continue
  if [ $check -eq 1 ]; then
    echo "no SPDX line: $file"
    missing=$((missing + 1))
  else
    add_header "$file" "$lead"
  fi
done < <(git ls-files -z)
[ $missing -eq 0 ]
