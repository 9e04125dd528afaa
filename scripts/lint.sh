#!/usr/bin/env bash
# Checks the tree's form: the C++ layout of .clang-format (check mode, nothing
# is rewritten), qmllint over every QML document and script library, and, where
# the tool `duplicates` is installed, a list of repeated code to look at (it
# only reports). Exits non-zero when a check fails.
#
#   scripts/lint.sh            check
#   scripts/lint.sh --fix      rewrite the C++ files in place with clang-format
set -euo pipefail
cd "$(dirname "$0")/.."

fix=false
case "${1:-}" in
    --fix) fix=true ;;
    "") ;;
    *) echo "lint: unknown option $1 (use --fix or nothing)" >&2; exit 2 ;;
esac

find_tool() {
    local name=$1
    shift
    command -v "$name" 2>/dev/null && return 0
    for dir in "$@"; do
        [ -x "$dir/$name" ] && { echo "$dir/$name"; return 0; }
    done
    return 1
}

failed=0

clang_format=$(find_tool clang-format) || { echo "lint: clang-format is missing (scripts/install-deps.sh)" >&2; exit 2; }
mapfile -t cpp_files < <(git ls-files -- 'native/*' 'updater/*' 'server/*' 'tests/*' 'benchmarks/*' \
    | grep -E '\.(cpp|h)$')
if $fix; then
    "$clang_format" -i "${cpp_files[@]}"
    echo "lint: clang-format rewrote ${#cpp_files[@]} files where needed"
elif ! "$clang_format" --dry-run --Werror "${cpp_files[@]}"; then
    echo "lint: clang-format: the files above differ from .clang-format (scripts/lint.sh --fix rewrites them)" >&2
    failed=1
else
    echo "lint: clang-format: ${#cpp_files[@]} files as .clang-format wants them"
fi

qmllint=$(find_tool qmllint /usr/lib/qt5/bin /usr/lib/x86_64-linux-gnu/qt5/bin) \
    || { echo "lint: qmllint is missing (scripts/install-deps.sh)" >&2; exit 2; }
mapfile -t qml_files < <(git ls-files -- '*.qml' '*.js' | grep -v '^scripts/')
if ! "$qmllint" "${qml_files[@]}"; then
    echo "lint: qmllint found the faults above" >&2
    failed=1
else
    echo "lint: qmllint: ${#qml_files[@]} documents and libraries"
fi

# a tool of this workplace, not of CI machines; it reports and always succeeds
if command -v duplicates >/dev/null 2>&1; then
    echo "lint: duplicates (a list of places to look at, not a verdict):"
    duplicates
fi

if [ "$failed" -ne 0 ]; then
    echo "lint: FAILED" >&2
    exit 1
fi
echo "lint: passed"
