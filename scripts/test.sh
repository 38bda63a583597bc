#!/usr/bin/env bash
# Builds everything and runs every test. Extra arguments go to ctest (e.g. -R tst_shell).
# Ends with the test budget: lines of C++ under tests/ against lines of C++ everywhere else.
set -euo pipefail
cd "$(dirname "$0")/.."

# The C++ files of the checkout: those git tracks, or every one outside the build folders.
cpp_files() {
  if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git ls-files -- '*.cpp' '*.h'
  else
    find . -path './build*' -prune -o -type f \( -name '*.cpp' -o -name '*.h' \) -print |
      sed 's|^\./||'
  fi
}

# Informative only: it never fails the run.
print_test_ratio() {
  cpp_files | while IFS= read -r file; do
    [ -f "$file" ] && printf '%s %s\n' "$(wc -l <"$file")" "$file"
  done | awk '
    $2 ~ /^tests\// { tests += $1; next }
    { code += $1 }
    END {
      ratio = code > 0 ? tests / code : 0
      printf "Test lines %d against code lines %d: ratio %.2f (aim 0.25-0.35)\n", tests, code, ratio
    }'
}

bash scripts/build.sh
status=0
(cd build && ctest --output-on-failure -j "$(nproc 2>/dev/null || sysctl -n hw.ncpu)" "$@") ||
  status=$?
print_test_ratio || true
exit "$status"
