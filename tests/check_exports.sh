#!/usr/bin/env bash
# Fails unless the library's dynamic symbol table defines exactly the sixteen exports.
set -euo pipefail
expected="Dispose DoorClose DoorOpen Elapse GetPluginVersion HornBlow Initialize KeyDown KeyUp Load SetBeaconData SetBrake SetPower SetReverser SetSignal SetVehicleSpec"
actual=$(nm -D --defined-only "$1" | awk '{print $3}' | sort | tr '\n' ' ' | sed 's/ $//')
if [ "$actual" != "$expected" ]; then
  echo "exports differ"
  echo "expected: $expected"
  echo "actual:   $actual"
  exit 1
fi
echo "16 exports, nothing else"
