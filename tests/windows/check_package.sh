#!/usr/bin/env bash
# Builds the release zip from the build tree and checks what a train author unpacks: the
# plugin, its commented example configuration, the tools and the documentation, every
# program and library the very file built and tested here and needing nothing beyond
# Windows's own DLLs, and nothing else.
#
# usage: check_package.sh CPACK OBJDUMP CHECKER BUILD_DIR PROGRAM...
set -uo pipefail

if [ $# -lt 4 ]; then
    echo "usage: $0 CPACK OBJDUMP CHECKER BUILD_DIR PROGRAM..." >&2
    exit 2
fi
cpack=$1
objdump=$2
checker=$3
build=$4
shift 4
programs=("$@")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if ! "$cpack" -G ZIP --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log"
    echo "package: cpack failed"
    exit 1
fi
zips=("$work"/out/*.zip)
if [ ${#zips[@]} -ne 1 ] || [ ! -f "${zips[0]}" ]; then
    echo "package: expected one zip, found: ${zips[*]}"
    exit 1
fi
mkdir "$work/unpacked"
(cd "$work/unpacked" && cmake -E tar xf "${zips[0]}") || { echo "package: cannot unpack ${zips[0]}"; exit 1; }
tops=("$work"/unpacked/*)
if [ ${#tops[@]} -ne 1 ] || [ ! -d "${tops[0]}" ]; then
    echo "package: expected one top folder"
    exit 1
fi
root=${tops[0]}

failures=0
fail() {
    echo "package: $*"
    failures=$((failures + 1))
}

for file in footplate.dll footplate.cfg README.md installing.md "${programs[@]}"; do
    [ -f "$root/$file" ] || fail "missing $file"
done
ls "$root"/docs/*.md >/dev/null 2>&1 || fail "no documentation in docs/"

# Only what an author needs: no import libraries, test programs or build leftovers.
while IFS= read -r path; do
    rel=${path#"$root"/}
    case "$rel" in
        footplate.dll | footplate.cfg | README.md | installing.md | docs/* | examples/*) ;;
        *.exe)
            [[ " ${programs[*]} " == *" $rel "* ]] || fail "unexpected program $rel"
            ;;
        *) fail "unexpected file $rel" ;;
    esac
done < <(find "$root" -type f | sort)

# The zip ships the very plugin and programs the tests ran.
for file in footplate.dll "${programs[@]}"; do
    [ -f "$root/$file" ] && ! cmp -s "$root/$file" "$build/$file" && fail "$file differs from the tested $build/$file"
done

# The shipped plugin itself passes the whole interface check; the programs need nothing
# beyond Windows.
if [ -f "$root/footplate.dll" ]; then
    "$checker" "$objdump" "$root/footplate.dll" || fail "the shipped footplate.dll fails the interface check"
fi
for binary in "$root"/*.exe; do
    [ -f "$binary" ] || continue
    "$checker" --imports-only "$objdump" "$binary" || fail "$(basename "$binary") needs more than Windows"
done

# The example configuration must be readable to its end: an empty line would end the
# reading there, and every other line is a comment or a key with its values.
cfg=$root/footplate.cfg
if [ -f "$cfg" ]; then
    line_no=0
    while IFS= read -r line || [ -n "$line" ]; do
        line_no=$((line_no + 1))
        line=${line%$'\r'}
        if [ -z "$line" ]; then
            fail "footplate.cfg line $line_no is empty and would end the reading"
        elif [[ "$line" != \;* && ! "$line" =~ ^[a-z0-9]+=[-0-9,\ ]*$ ]]; then
            fail "footplate.cfg line $line_no is neither a comment nor a key: $line"
        fi
    done <"$cfg"
    [ "$line_no" -gt 0 ] || fail "footplate.cfg is empty"
fi

if [ "$failures" -ne 0 ]; then
    echo "package: $failures problem(s) in $(basename "${zips[0]}")"
    exit 1
fi
echo "package: $(basename "${zips[0]}") holds the plugin, its configuration, ${programs[*]} and the documentation"
