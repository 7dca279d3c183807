#!/usr/bin/env bash
# Prints how heavy the tests are next to the code: lines of the tracked files
# under tests/ over lines of every other tracked source, build and script file.
# Counted: C++ sources and headers, CMake files, shell scripts, configured
# templates (*.in) and extension-less scripts such as .ci/run. Not counted:
# pictures and other binary or data files (.bmp, .ico, .png, ...), Markdown,
# LICENSE and .gitignore.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
counted() {
  git ls-files -z "$@" | grep -zvE '(\.(bmp|ico|png|jpg|svg|dat|md)|(^|/)(LICENSE|\.gitignore))$' |
    xargs -0 cat 2>/dev/null | wc -l
}
tests=$(counted -- tests)
code=$(counted -- . ':!tests')
awk -v t="$tests" -v c="$code" 'BEGIN { printf "tests %d lines, code %d lines, ratio %.2f\n", t, c, t / c }'
