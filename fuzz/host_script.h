// The byte form of a sequence of host calls, read by fuzz_host and written by the seed
// maker. Small numbers take one byte, so mutations land on values a host really sends;
// a marker byte lets any raw 32-bit integer, float or double through.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "plugin/records.h"

namespace script {

// One host call per op; Burst is a run of frames at one speed, so timers can expire.
enum Op : uint8_t {
    Load, Dispose, GetPluginVersion, SetVehicleSpec, Initialize, Elapse, SetPower, SetBrake,
    SetReverser, KeyDown, KeyUp, HornBlow, DoorOpen, DoorClose, SetSignal, SetBeaconData,
    Burst, OpCount
};

// The configurations a script may start with: its first byte picks one.
enum Config : uint8_t { NoFile, Everything, Steam, Full, ListHeavy, ConfigCount };

// Beacon types the subsystems react to; a marker byte sends any other.
inline constexpr int32_t kBeaconTypes[] = {
    kBeaconPowerGap,   kBeaconRain,          kBeaconFuelFilling,     kBeaconDoorSide,
    kBeaconAwsClear,   kBeaconAwsWarning,    kBeaconTpwsSignal,      kBeaconTpwsTrainStop,
    kBeaconTpwsRestriction, kBeaconPzbDistant, kBeaconPzbHome};
inline constexpr int kBeaconTypeCount = static_cast<int>(sizeof kBeaconTypes / sizeof kBeaconTypes[0]);

inline constexpr uint8_t kRaw = 0xFF;  // the marker: raw bytes follow

// Elapse's array choice: the host's first pair, its second pair, or no arrays at all.
enum Arrays : uint8_t { FirstPair, SecondPair, Mixed, NoArrays, ArraysCount };

class Reader {
public:
    Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool more() const { return pos_ < size_; }

    uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    // -64 .. 190 in one byte; anything after the marker.
    int32_t integer() {
        const uint8_t t = byte();
        if (t != kRaw) return static_cast<int32_t>(t) - 64;
        return static_cast<int32_t>(raw32());
    }
    // -48 .. 206 km/h in one byte; any float (NaN, infinities, huge) after the marker.
    float speed() {
        const uint8_t t = byte();
        if (t != kRaw) return static_cast<float>(static_cast<int>(t) - 48);
        const uint32_t bits = raw32();
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return f;
    }
    // The clock's step: forwards in 10 ms steps, backwards in 100 ms steps, jumps in 10 s
    // steps; after the marker, an absolute time (absolute is then true).
    int32_t timeStep(bool& absolute) {
        const uint8_t t = byte();
        absolute = t == kRaw;
        if (absolute) return static_cast<int32_t>(raw32());
        if (t < 0x80) return t * 10;
        if (t < 0xC0) return -(t - 0x80) * 100;
        return (t - 0xC0) * 10000;
    }
    // A location: the train moves by itself (moved false), or after the marker jumps to
    // any double.
    double location(bool& moved) {
        const uint8_t t = byte();
        moved = t == kRaw;
        if (!moved) return 0.0;
        uint64_t bits = static_cast<uint64_t>(raw32());
        bits |= static_cast<uint64_t>(raw32()) << 32;
        double d;
        std::memcpy(&d, &bits, sizeof d);
        return d;
    }
    int32_t beaconType() {
        const uint8_t t = byte();
        if (t != kRaw) return kBeaconTypes[t % kBeaconTypeCount];
        return static_cast<int32_t>(raw32());
    }

private:
    uint32_t raw32() {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(byte()) << (8 * i);
        return v;
    }
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

class Writer {
public:
    explicit Writer(Config config) { put(config); }
    const std::string& bytes() const { return bytes_; }

    Writer& op(Op o) { return put(o); }
    Writer& integer(int32_t v) {
        if (v >= -64 && v <= 190) return put(static_cast<uint8_t>(v + 64));
        put(kRaw);
        return raw32(static_cast<uint32_t>(v));
    }
    Writer& speed(float kmh) {
        if (kmh >= -48.0f && kmh <= 206.0f && static_cast<float>(static_cast<int>(kmh)) == kmh) {
            return put(static_cast<uint8_t>(static_cast<int>(kmh) + 48));
        }
        uint32_t bits;
        std::memcpy(&bits, &kmh, sizeof bits);
        put(kRaw);
        return raw32(bits);
    }
    // Forward steps up to 1270 ms in 10 ms, backward steps in 100 ms, jumps in 10 s.
    Writer& step(int32_t ms) {
        if (ms >= 0 && ms < 1280 && ms % 10 == 0) return put(static_cast<uint8_t>(ms / 10));
        if (ms < 0 && ms > -6400 && ms % 100 == 0) return put(static_cast<uint8_t>(0x80 + -ms / 100));
        if (ms >= 0 && ms < 630000 && ms % 10000 == 0) return put(static_cast<uint8_t>(0xC0 + ms / 10000));
        put(kRaw);
        return raw32(static_cast<uint32_t>(ms));  // read back as an absolute time
    }
    Writer& at(int32_t time) {
        put(kRaw);
        return raw32(static_cast<uint32_t>(time));
    }
    Writer& moving() { return put(0); }
    Writer& jumpTo(double location) {
        uint64_t bits;
        std::memcpy(&bits, &location, sizeof bits);
        put(kRaw);
        raw32(static_cast<uint32_t>(bits));
        return raw32(static_cast<uint32_t>(bits >> 32));
    }
    Writer& arrays(Arrays a) { return put(a); }
    Writer& beaconType(int32_t type) {
        for (int i = 0; i < kBeaconTypeCount; ++i) {
            if (kBeaconTypes[i] == type) return put(static_cast<uint8_t>(i));
        }
        put(kRaw);
        return raw32(static_cast<uint32_t>(type));
    }

    // Whole calls, in the form fuzz_host reads them.
    Writer& frame(int32_t stepMs, float kmh, Arrays a = FirstPair) {
        return op(Elapse).step(stepMs).speed(kmh).moving().arrays(a);
    }
    Writer& burst(int frames, int32_t stepMs, float kmh) {
        return op(Burst).put(static_cast<uint8_t>(frames - 1)).step(stepMs).speed(kmh);
    }
    Writer& key(int32_t k) { return op(KeyDown).integer(k).op(KeyUp).integer(k); }
    Writer& beacon(int32_t type, int32_t signal, int32_t optional) {
        return op(SetBeaconData).beaconType(type).integer(signal).integer(0).integer(optional);
    }
    Writer& call(Op o, int32_t argument) { return op(o).integer(argument); }

private:
    Writer& put(uint8_t b) {
        bytes_.push_back(static_cast<char>(b));
        return *this;
    }
    Writer& raw32(uint32_t v) {
        for (int i = 0; i < 4; ++i) put(static_cast<uint8_t>(v >> (8 * i)));
        return *this;
    }
    std::string bytes_;
};

}  // namespace script
