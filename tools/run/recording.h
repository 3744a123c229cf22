// What a run of footplate-run saw, frame by frame, for the CSV table and the SVG chart.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "plugin/records.h"
#include "scenario.h"

struct FrameRecord {
    int32_t time;     // ms
    double location;  // m
    double speed;     // km/h
    int32_t brake;
    int32_t power;
    int32_t reverser;
};

// A slot that changed in a frame, to the value it showed after that frame.
struct SlotChange {
    size_t frame;
    bool sound;
    int32_t index;
    int32_t value;
};

// A beacon the train passed, for the chart's marks.
struct BeaconMark {
    int32_t time;
    double location;
    int32_t type;
    std::string label;
};

struct Recording {
    std::vector<FrameRecord> frames;
    std::vector<SlotChange> changes;
    std::vector<BeaconMark> beacons;
    int32_t brakeNotches = 8;
    int32_t powerNotches = 5;
};

// One row per frame: time, location, speed, the three handles and every watched slot
// (the labelled ones and every slot that changed). False when the file cannot be written.
bool WriteCsv(const Recording& recording, const Scenario& scenario, const std::string& path);

// Speed and handles against time (or distance), beacon marks, one band per labelled slot.
bool WriteSvg(const Recording& recording, const Scenario& scenario, const std::string& path);

// The text shown for a slot: its label, or panel[N] / sound[N].
std::string SlotName(const Scenario& scenario, bool sound, int32_t index);
