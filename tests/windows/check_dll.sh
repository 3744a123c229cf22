#!/usr/bin/env bash
# Checks from the outside that a built footplate.dll is what a 32-bit Windows simulator
# host can load and call: a PE32 DLL for i386 that exports exactly the sixteen plain
# names, imports only Windows system DLLs, and whose exports each remove their own
# stdcall argument bytes on return. Prints every deviation; exits 1 if there is any.
#
# With --imports-only it checks only the format and the imports of any program of the
# release: a PE32 image for i386 that needs no DLL beyond Windows's own.
#
# usage: check_dll.sh [--imports-only] OBJDUMP FILE
set -uo pipefail

imports_only=0
if [ "${1:-}" = --imports-only ]; then
    imports_only=1
    shift
fi
if [ $# -ne 2 ]; then
    echo "usage: $0 [--imports-only] OBJDUMP FILE" >&2
    exit 2
fi
objdump=$1
dll=$2

failures=0
fail() {
    echo "deviation: $*"
    failures=$((failures + 1))
}

# Bytes each export removes from the stack: its arguments, for Elapse also the hidden
# address of the result (4 + 40 + 4 + 4).
declare -A expected=(
    [Load]=0 [Dispose]=0 [GetPluginVersion]=0 [SetVehicleSpec]=20 [Initialize]=4
    [Elapse]=52 [SetPower]=4 [SetBrake]=4 [SetReverser]=4 [KeyDown]=4 [KeyUp]=4
    [HornBlow]=4 [DoorOpen]=0 [DoorClose]=0 [SetSignal]=4 [SetBeaconData]=16
)

if [ ! -f "$dll" ]; then
    echo "deviation: $dll does not exist"
    exit 1
fi
if ! header=$("$objdump" -f "$dll" 2>&1) || ! private=$("$objdump" -p "$dll" 2>&1); then
    echo "deviation: $objdump cannot read $dll"
    exit 1
fi

# --- the file itself -------------------------------------------------------------
grep -q 'file format pei-i386' <<<"$header" || fail "not a PE image for i386"
grep -Eq '^Magic[[:space:]]+010b' <<<"$private" || fail "not PE32 (optional header magic is not 010b)"
characteristics=$(awk '/^Characteristics/ {print $2; exit}' <<<"$private")
if [ "$imports_only" -eq 0 ] && { [ -z "$characteristics" ] || (((characteristics & 0x2000) == 0)); }; then
    fail "not a DLL (characteristics ${characteristics:-unknown})"
fi
image_base=$(awk '/^ImageBase/ {print $2; exit}' <<<"$private")

# --- imports: Windows and its C runtime only -------------------------------------
while read -r name; do
    [ -z "$name" ] && continue
    lower=${name,,}
    case "$lower" in
        kernel32.dll | msvcrt.dll | ucrtbase.dll | api-ms-win-crt-*.dll) ;;
        *) fail "imports non-system DLL: $name" ;;
    esac
done < <(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$private")

if [ "$imports_only" -eq 1 ]; then
    if [ "$failures" -ne 0 ]; then
        echo "$dll: $failures deviation(s)"
        exit 1
    fi
    echo "$dll: PE32 i386, system imports only"
    exit 0
fi

# The configuration file is found and read through Windows's own calls.
for call in GetModuleFileNameW CreateFileW ReadFile CloseHandle; do
    awk -v call="$call" '/DLL Name:/ {kernel = (tolower($3) == "kernel32.dll")}
                         kernel && $NF == call {found = 1}
                         END {exit !found}' <<<"$private" || fail "does not import $call from KERNEL32.dll"
done

# --- exports: exactly the sixteen plain names -------------------------------------
# Export address table: "[   3] +base[   4] 15a0 Export RVA" (unbiased ordinal, RVA).
declare -A rva_of_ordinal=()
while read -r ordinal rva; do
    rva_of_ordinal[$ordinal]=$rva
done < <(sed -n 's/^[[:space:]]*\[[[:space:]]*\([0-9]*\)\] +base\[[[:space:]]*[0-9]*\] \([0-9a-f]*\) Export RVA$/\1 \2/p' <<<"$private")
grep -q 'Forwarder RVA' <<<"$private" && fail "an export is forwarded to another DLL"

# Name table: "[   9] Load" (unbiased ordinal, name), after its own heading.
declare -A address_of=()
while read -r ordinal name; do
    if [[ "$name" == *@* || "$name" == _* ]]; then
        fail "decorated export: $name"
    fi
    if [ -z "${expected[$name]+set}" ]; then
        fail "unexpected export: $name"
        continue
    fi
    rva=${rva_of_ordinal[$ordinal]:-}
    if [ -z "$rva" ] || [ -z "$image_base" ]; then
        fail "no address for export $name"
        continue
    fi
    address_of[$name]=$(printf '%x' $((0x$image_base + 0x$rva)))
done < <(awk '/^\[Ordinal\/Name Pointer\] Table/ {table = 1; next}
              table && /^[[:space:]]*$/ {table = 0}
              table {line = $0; sub(/^[[:space:]]*\[[[:space:]]*/, "", line); sub(/\][[:space:]]*/, " ", line); print line}' \
              <<<"$private")

for name in "${!expected[@]}"; do
    [ -n "${address_of[$name]+set}" ] || fail "missing export: $name"
done

# --- calling convention: the bytes each export removes on return ------------------
if [ ${#address_of[@]} -gt 0 ]; then
    disassembly=$("$objdump" -d --no-show-raw-insn "$dll" 2>/dev/null)
    for name in $(printf '%s\n' "${!address_of[@]}" | sort); do
        want=${expected[$name]}
        # The export's code runs from its address to the next symbol's label; every
        # return instruction in it is listed as the number of bytes it removes.
        pops=$(awk -v start="${address_of[$name]}" '
            $0 ~ "^0*" start " <.*>:$" {inside = 1; next}
            inside && /^[0-9a-f]+ <.*>:$/ {exit}
            inside && /:\t(rep[z]? )?ret[lw]?( |$)/ {
                if (match($0, /\$0x[0-9a-f]+/)) print substr($0, RSTART + 1, RLENGTH - 1);
                else print "0x0"
            }
            inside && /:\tjmp / {print "jmp"}' <<<"$disassembly" | sort -u)
        if ! grep -Eq "^0*${address_of[$name]} <" <<<"$disassembly"; then
            fail "$name: no code found at 0x${address_of[$name]}"
            continue
        fi
        returns=""
        while read -r pop; do
            [[ "$pop" == 0x* ]] && returns+="${returns:+ }$((pop))"
        done <<<"$pops"
        if [ -z "$returns" ]; then
            # Without arguments a tail jump returns through the callee, which removes
            # nothing either; with arguments nothing here would remove them.
            if [ "$want" -ne 0 ] || [[ "$pops" != *jmp* ]]; then
                fail "$name has no return instruction, expected one removing $want bytes"
            fi
        elif [ "$returns" != "$want" ]; then
            fail "$name removes ${returns// / or } bytes on return, expected $want"
        fi
    done
fi

if [ "$failures" -ne 0 ]; then
    echo "$dll: $failures deviation(s) from the host interface"
    exit 1
fi
echo "$dll: PE32 i386 DLL, 16 plain exports, system imports only, stdcall returns as the host expects"
