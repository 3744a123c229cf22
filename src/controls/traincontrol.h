// Handle arbitration: every source places counted demands on brake, power and reverser,
// and the train gets the most restrictive of them; the interlocks and the speed selector.
#pragma once

#include <cstdint>

void InitTrainControl(int brakeMode);
void DestroyTrainControl();

// The counted arbitration itself. Sources do not call these: they hold a Demand.
void OperateBrake(int notch, bool on);
void OperatePower(int notch, bool on);
void OperateReverser(int position, bool on);

enum class Handle { Brake, Power, Reverser };

// One source's demand on one handle. It knows whether it holds and on which notch, so it is
// placed once and withdrawn exactly as placed. A start drops every demand: one placed before
// the last InitTrainControl no longer holds.
class Demand {
public:
    explicit constexpr Demand(Handle handle) : handle_(handle) {}
    // Holds the demand on notch: places it, or moves it there from another notch.
    void place(int32_t notch);
    // Takes the demand back; nothing when it does not hold.
    void withdraw();
    // Places it on notch while on is true, withdraws it otherwise.
    void hold(bool on, int32_t notch) { on ? place(notch) : withdraw(); }
    bool held() const;
    int32_t notch() const { return notch_; }

private:
    void operate(int32_t notch, bool on) const;
    Handle handle_;
    int32_t notch_ = 0;
    uint32_t start_ = 0;  // the start it was placed in; 0: not placed
};

// The driver's handles, subject to the interlocks.
void SetBrakeHandle(int notch);
void SetPowerHandle(int notch);
void SetReverserHandle(int position);

// The doors opened or closed: power cut and brake while they are open.
void SetDoorInterlocks(bool open);

// The speed selector: with its key configured the power handle picks a target speed, and
// power at the handle's notch flows only while the key is held below that speed.
void TrainControl();
void TrainControlKeyPressed(int key);
void TrainControlKeyReleased(int key);
