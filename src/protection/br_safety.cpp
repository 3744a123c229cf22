// The British cab systems AWS and TPWS: magnets and loops under the train, the driver's
// acknowledge, reset and override keys, the startup test and the emergency brake.
#include "protection/br_safety.h"

#include <cstdint>

#include "config/confload.h"
#include "controls/traincontrol.h"
#include "plugin/tools.h"

namespace {

constexpr int32_t kAwsIdle = -1;
constexpr int32_t kAwsBraking = -2;

// AWS: idle, a warning pending since awsTimer, or braking (kAwsBraking).
int32_t awsTimer = kAwsIdle;
Demand awsStop{Handle::Brake};  // the AWS emergency brake
bool awsRelease = false;

// Startup test: 0 none or done, 1 waiting for the reverser, 2 waiting for the acknowledge key.
int tpwsStartupTest = 0;

// TPWS
Demand tpwsTrainstop{Handle::Brake};  // tripped: the TPWS emergency brake
bool tpwsRelease = false;
int32_t stopTimer = -1;
int32_t overrideTimer = -1;
Indicator brakeDemand{};
Indicator stopOverride{};

// The start of a warning or an override. A clock reading -1 or -2 would store one of the
// markers and lose the warning or fake the braking state, so such a start is taken a
// moment earlier: a warning then falls due a millisecond or two early, never late.
int32_t startTime() { return now() == kAwsIdle || now() == kAwsBraking ? -3 : now(); }
int32_t emergencyNotch() { return gTrainspecs.brakeNotches + 1; }

int32_t secondsToMs(int32_t seconds) { return toInt32(static_cast<double>(seconds) * 1000.0); }

void lampFlashing(Indicator& lamp) {
    lamp.value = 1;
    lamp.timer = now();
    lamp.phase = true;
}

void lampSteady(Indicator& lamp, int32_t value) {
    lamp.value = value;
    lamp.timer = -1;
    lamp.phase = true;
}

bool warningPending() { return awsTimer != kAwsIdle && awsTimer != kAwsBraking; }

void awsApplyBrake() {
    awsStop.place(emergencyNotch());
    awsTimer = kAwsBraking;
    awsRelease = false;
}

// The horn is silenced on every release, deferred or not: a horn looping in Idle would
// tell the driver a warning is still pending.
void awsReleaseBrake() {
    awsStop.withdraw();
    setPanel(Option(opt::awsindicator), 0);
    setSound(Option(opt::awswarningsound), kSoundStop);
    awsTimer = kAwsIdle;
    awsRelease = false;
}

void tpwsTrip() {
    lampFlashing(brakeDemand);
    setSound(Option(opt::tpwswarningsound), kSoundLoop);
    tpwsTrainstop.place(emergencyNotch());
    stopTimer = -1;
    tpwsRelease = false;
}

void tpwsReleaseBrake() {
    tpwsTrainstop.withdraw();
    lampSteady(brakeDemand, 0);
    tpwsRelease = false;
}

bool overrideRunning() { return overrideTimer != -1; }

void endOverride() {
    lampSteady(stopOverride, 0);
    overrideTimer = -1;
}

bool stopDelayOver() { return tOn(stopTimer, now(), secondsToMs(Option(opt::tpwsstopdelay))); }

void awsMagnet(const ATS_BEACONDATA& beacon) {
    const bool clear = beacon.type == kBeaconAwsClear && beacon.signal > 3 &&
                       static_cast<double>(gState.speed) > Option(opt::awsminspeed);
    if (clear) {
        // A clear magnet cannot undo an unacknowledged warning: the brake and its
        // release rule stay exactly as they were.
        if (awsStop.held()) return;
        setPanel(Option(opt::awsindicator), 0);
        setSound(Option(opt::awswarningsound), kSoundStop);
        setSound(Option(opt::awsclearsound), kSoundOnce);
        awsTimer = kAwsIdle;
        return;
    }
    setPanel(Option(opt::awsindicator), Option(opt::awsindicatorappear) == 1 ? 1 : 0);
    setSound(Option(opt::awswarningsound), kSoundLoop);
    setSound(Option(opt::awsclearsound), kSoundStop);
    if (awsTimer == kAwsIdle) awsTimer = startTime();
}

void tpwsBeaconFullSystem(const ATS_BEACONDATA& beacon) {
    if (tpwsTrainstop.held()) return;
    if (overrideRunning()) {
        if (beacon.type == kBeaconTpwsTrainStop) endOverride();
        return;
    }
    const double speed = gState.speed;
    const bool trip = (beacon.type == kBeaconTpwsSignal && beacon.signal <= 0 && speed > beacon.optional) ||
                      (beacon.type == kBeaconTpwsRestriction && speed > beacon.optional) ||
                      (beacon.type == kBeaconTpwsTrainStop && beacon.signal <= 0);
    if (trip) tpwsTrip();
}

void tpwsBeaconTrainStopOnly(const ATS_BEACONDATA& beacon) {
    if (beacon.type != kBeaconTpwsTrainStop || tpwsTrainstop.held()) return;
    if (overrideRunning()) {
        endOverride();
        return;
    }
    if (beacon.signal <= 0) tpwsTrip();
}

void completeStartupTest() {
    setPanel(Option(opt::awsindicator), 1);
    setSound(Option(opt::awswarningsound), kSoundStop);
    if (Option(opt::startuptest) == 2) {
        setSound(Option(opt::awsclearsound), kSoundOnce);
        lampSteady(brakeDemand, 0);
        lampSteady(stopOverride, 0);
        setPanel(Option(opt::tpwsindicator3), 0);
    }
    tpwsStartupTest = 0;
}

void awsAcknowledge() {
    int32_t button = 0;
    if (OptionValue(opt::awsacknowledgekey, 1, button)) setPanel(button, 1);
    if (tpwsStartupTest == 2) {
        completeStartupTest();
        return;
    }
    if (warningPending()) {
        setPanel(Option(opt::awsindicator), 1);
        setSound(Option(opt::awswarningsound), kSoundStop);
        awsTimer = kAwsIdle;
        return;
    }
    const int32_t cancel = Option(opt::awsbrakecancel);
    if (awsTimer == kAwsBraking && awsStop.held() && (atStand() || cancel != 0)) {
        if (cancel == 1) {
            awsRelease = true;
        } else {
            awsReleaseBrake();
        }
    }
}

void tpwsReset() {
    if (!tpwsTrainstop.held()) return;
    lampSteady(brakeDemand, 1);
    const int32_t cancel = Option(opt::tpwsbrakecancel);
    if (cancel == 0) {
        if (!atStand()) return;
        // Tripped and reset at a stand before any frame could record the stand: the
        // stop delay starts now rather than from a timer that never ran.
        if (stopTimer == -1) stopTimer = now();
        if (!stopDelayOver()) return;
    } else if (cancel == 1) {
        tpwsRelease = true;
        setSound(Option(opt::tpwswarningsound), kSoundStop);
        return;
    }
    tpwsReleaseBrake();
    setSound(Option(opt::tpwswarningsound), kSoundStop);
}

void tpwsOverrideKey() {
    if (tpwsTrainstop.held() || tpwsStartupTest != 0) return;
    if (overrideRunning()) {
        endOverride();
        return;
    }
    overrideTimer = startTime();
    lampFlashing(stopOverride);
}

}  // namespace

// Starts the AWS idle and the TPWS normal, and arms the startup test if one is configured.
void InitBRSafety() {
    awsTimer = kAwsIdle;
    awsRelease = false;
    tpwsRelease = false;
    // Any positive setting runs a test; zero or a negative one runs none.
    tpwsStartupTest = Option(opt::startuptest) >= 1 ? 1 : 0;
    setSound(Option(opt::awswarningsound), kSoundStop);
    setSound(Option(opt::awsclearsound), kSoundStop);
    brakeDemand = NewIndicator(opt::tpwsindicator, 0);
    stopOverride = NewIndicator(opt::tpwsindicator2, 0);
    stopTimer = -1;
    overrideTimer = -1;
}

// Nothing to release: every brake demand is dropped when the train starts again.
void DestroyBRSafety() {}

// Each frame: the AWS brake when a warning goes unacknowledged, the TPWS lamps, the
// releases that wait for a stand, and the lapse of a train-stop override.
void BRSafety() {
    if (Option(opt::system) == opt::kSystemOff) return;
    if (warningPending() && tOn(awsTimer, now(), Option(opt::awsdelay)) && !awsStop.held()) awsApplyBrake();

    ShowIndicator(brakeDemand);
    ShowIndicator(stopOverride);

    if (atStand()) {
        if (stopTimer == -1) stopTimer = now();
        if (awsRelease) awsReleaseBrake();
        if (tpwsRelease && stopDelayOver()) tpwsReleaseBrake();
    }

    if (overrideRunning() && tOn(overrideTimer, now(), secondsToMs(Option(opt::tpwsoverridelifetime)))) {
        endOverride();
    }
}

// A magnet or TPWS loop under the train: warns, clears or trips according to the mode.
void SetBRSafetyStatus(ATS_BEACONDATA beacon) {
    if (beacon.type < kBeaconAwsClear || beacon.type > kBeaconTpwsRestriction) return;
    const int32_t system = Option(opt::system);
    // A train running backwards passes the equipment the wrong way and ignores it.
    if (system == opt::kSystemOff || !(gState.speed >= 0.0f)) return;

    if ((system == opt::kAwsOnly || system == opt::kAwsAndTpws) && (beacon.type == kBeaconAwsClear || beacon.type == kBeaconAwsWarning)) {
        awsMagnet(beacon);
    }
    if (system == opt::kAwsAndTpws) {
        tpwsBeaconFullSystem(beacon);
    } else if (system == opt::kTpwsTrainStopOnly) {
        tpwsBeaconTrainStopOnly(beacon);
    }
}

// The driver's keys: AWS acknowledge, TPWS reset and TPWS override, in that order, so one
// key bound to several roles performs each of them.
void BRSafetyKeyPressed(int key) {
    if (keyMatches(key, opt::awsacknowledgekey)) awsAcknowledge();
    if (keyMatches(key, opt::tpwsresetkey)) tpwsReset();
    if (keyMatches(key, opt::tpwsoverridekey)) tpwsOverrideKey();
}

// The acknowledge button is shown released again.
void BRSafetyKeyReleased(int key) {
    int32_t button = 0;
    if (keyMatches(key, opt::awsacknowledgekey) && OptionValue(opt::awsacknowledgekey, 1, button)) setPanel(button, 0);
}

// The reverser leaving neutral for the first time starts the startup test: horn, and
// with the full test the TPWS lamps.
void BRSafetyReverserMovedOff() {
    if (tpwsStartupTest != 1) return;
    setSound(Option(opt::awswarningsound), kSoundLoop);
    if (Option(opt::startuptest) == 2) {
        lampSteady(brakeDemand, 1);
        lampSteady(stopOverride, 1);
        setPanel(Option(opt::tpwsindicator3), 1);
    }
    tpwsStartupTest = 2;
}
