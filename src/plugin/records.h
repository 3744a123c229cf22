// The host's records, the slot arrays' size, sound commands and beacon types: what a host or a tool may use.
#pragma once

#include <cstddef>
#include <cstdint>

struct ATS_VEHICLESPEC {
    int32_t brakeNotches;  // brakeNotches is full service, brakeNotches + 1 emergency
    int32_t powerNotches;
    int32_t atsNotch;
    int32_t b67Notch;
    int32_t cars;
};

struct ATS_VEHICLESTATE {
    double location;  // metres along the line
    float speed;      // km/h
    int32_t time;     // simulation time, ms
    float bcPressure;
    float mrPressure;
    float erPressure;
    float bpPressure;
    float sapPressure;
    float current;
};

struct ATS_BEACONDATA {
    int32_t type;
    int32_t signal;
    float distance;
    int32_t optional;
};

struct HandleOutput {
    int32_t brake;
    int32_t power;
    int32_t reverser;  // -1 backward, 0 neutral, 1 forward
    int32_t constantSpeed;
};

// The host lays these records out byte for byte; a change here breaks every host.
static_assert(sizeof(ATS_VEHICLESPEC) == 20);
static_assert(offsetof(ATS_VEHICLESPEC, brakeNotches) == 0);
static_assert(offsetof(ATS_VEHICLESPEC, powerNotches) == 4);
static_assert(offsetof(ATS_VEHICLESPEC, atsNotch) == 8);
static_assert(offsetof(ATS_VEHICLESPEC, b67Notch) == 12);
static_assert(offsetof(ATS_VEHICLESPEC, cars) == 16);
static_assert(sizeof(ATS_VEHICLESTATE) == 40);
static_assert(offsetof(ATS_VEHICLESTATE, location) == 0);
static_assert(offsetof(ATS_VEHICLESTATE, speed) == 8);
static_assert(offsetof(ATS_VEHICLESTATE, time) == 12);
static_assert(offsetof(ATS_VEHICLESTATE, bcPressure) == 16);
static_assert(offsetof(ATS_VEHICLESTATE, mrPressure) == 20);
static_assert(offsetof(ATS_VEHICLESTATE, erPressure) == 24);
static_assert(offsetof(ATS_VEHICLESTATE, bpPressure) == 28);
static_assert(offsetof(ATS_VEHICLESTATE, sapPressure) == 32);
static_assert(offsetof(ATS_VEHICLESTATE, current) == 36);
static_assert(sizeof(ATS_BEACONDATA) == 16);
static_assert(offsetof(ATS_BEACONDATA, type) == 0);
static_assert(offsetof(ATS_BEACONDATA, signal) == 4);
static_assert(offsetof(ATS_BEACONDATA, distance) == 8);
static_assert(offsetof(ATS_BEACONDATA, optional) == 12);
static_assert(sizeof(HandleOutput) == 16);
static_assert(offsetof(HandleOutput, brake) == 0);
static_assert(offsetof(HandleOutput, power) == 4);
static_assert(offsetof(HandleOutput, reverser) == 8);
static_assert(offsetof(HandleOutput, constantSpeed) == 12);
#if defined(_WIN32) && defined(__i386__)
// The 32-bit host aligns the double of the vehicle state to 8 bytes, as this compiler
// must; the 16-byte result travels through a hidden address, never in registers.
static_assert(alignof(ATS_VEHICLESTATE) == 8);
static_assert(sizeof(HandleOutput) > 8);
#endif

inline constexpr int kSlotCount = 256;  // panel and sound arrays both hold 256 slots

// Sound slot values. footplate writes stop, loop and once; the host turns a sound played once
// into "continue" and accepts any volume from stop up to loop.
inline constexpr int32_t kSoundStop = -10000;
inline constexpr int32_t kSoundLoop = 0;
inline constexpr int32_t kSoundOnce = 1;
inline constexpr int32_t kSoundContinue = 2;

// The beacon types footplate reacts to.
enum BeaconType : int32_t {
    kBeaconPowerGap = 20,        // a gap in the conductor rail ahead; optional: its length in metres
    kBeaconRain = 21,            // rain intensity 0..100 in optional
    kBeaconFuelFilling = 22,     // a filling zone entered or left
    kBeaconDoorSide = 23,        // the side the doors open, in optional's low byte
    kBeaconAwsClear = 44000,     // AWS magnet: clear above signal 3, otherwise a warning
    kBeaconAwsWarning = 44001,   // AWS magnet that always warns
    kBeaconTpwsSignal = 44002,   // TPWS overspeed sensor at a signal
    kBeaconTpwsTrainStop = 44003,
    kBeaconTpwsRestriction = 44004,  // TPWS overspeed sensor at a speed restriction
    kBeaconPzbDistant = 49000,
    kBeaconPzbHome = 49001,
};
