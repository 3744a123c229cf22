#!/usr/bin/env bash
# Proves that the interface check finds what it is for: run on a DLL built with known
# faults, it must fail and name exactly those faults and no others; run on a program
# instead of a DLL it must fail too.
#
# usage: check_dll_selftest.sh CHECKER OBJDUMP FAULTY_DLL PROGRAM
set -uo pipefail

if [ $# -ne 4 ]; then
    echo "usage: $0 CHECKER OBJDUMP FAULTY_DLL PROGRAM" >&2
    exit 2
fi
checker=$1
objdump=$2
faulty=$3
program=$4

problems=0
problem() {
    echo "self-test: $*"
    problems=$((problems + 1))
}

report=$("$checker" "$objdump" "$faulty")
status=$?
echo "$report"
[ "$status" -eq 1 ] || problem "the check passed a faulty DLL (exit $status)"

# Exactly these deviations, whatever else the report says.
required=(
    "deviation: imports non-system DLL: libstdc++-6.dll"
    "deviation: unexpected export: DllHelper"
    "deviation: decorated export: KeyUp@4"
    "deviation: missing export: KeyUp"
    "deviation: missing export: SetSignal"
    "deviation: Elapse removes 0 bytes on return, expected 52"
    "deviation: SetBrake removes 0 bytes on return, expected 4"
    "deviation: SetBeaconData removes 4 bytes on return, expected 16"
    "deviation: does not import CreateFileW from KERNEL32.dll"
    "deviation: does not import ReadFile from KERNEL32.dll"
)
for line in "${required[@]}"; do
    grep -Fxq "$line" <<<"$report" || problem "not reported: ${line#deviation: }"
done
# The compiler's support library, whichever exception model it was built with.
grep -Eq '^deviation: imports non-system DLL: libgcc_s_[a-z0-9]+-1\.dll$' <<<"$report" ||
    problem "not reported: the libgcc DLL import"

# The exports that are right must not be blamed, nor the file format.
for name in Load Dispose GetPluginVersion SetVehicleSpec Initialize SetPower SetReverser KeyDown HornBlow \
    DoorOpen DoorClose; do
    if grep -Eq "^deviation: .*\\b$name\\b" <<<"$report"; then
        problem "a correct export was reported: $name"
    fi
done
grep -Eq '^deviation: not (a PE|PE32|a DLL)' <<<"$report" && problem "the format of a PE32 DLL was reported"

# A program is not a plugin.
report=$("$checker" "$objdump" "$program")
status=$?
[ "$status" -eq 1 ] || problem "the check passed a program as a DLL (exit $status)"
grep -q '^deviation: not a DLL' <<<"$report" || problem "a program was not reported as not a DLL"

if [ "$problems" -ne 0 ]; then
    echo "self-test: $problems problem(s)"
    exit 1
fi
echo "self-test: the check names every planted fault and nothing else"
