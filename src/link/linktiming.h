#pragma once

namespace tavrin {

// The fixed delays of the device link, in milliseconds. The defaults are the real
// values; tests shorten the long ones.
struct LinkTiming {
    int wakeUpPauseMs = 100;       // silence after the wake-up byte
    int phoneGraceWindowMs = 10000; // time-outs on a phone link cost no attempt within it
    int restorePauseMs = 3000;     // between hang-up and re-dial of a broken modem link
    int commandGapMs = 2;          // before every modem command write
    int presenceReplyWaitMs = 5000; // reply wait in the modem presence check
    int escapeGuardMs = 1200;      // before "+++" and the repeated "ATE0" of the presence check
    int dialPauseMs = 2000;        // between the presence check and the first dialling round
    int acceptedCommandPauseMs = 200; // after an accepted init command and after CONNECT
    int gsmLineWaitMs = 5000;      // each reply line of the GSM readiness check
    int hangUpReplyWaitMs = 2000;  // each command of the hang-up
    int hangUpGuardMs = 1000;      // before "+++" in the hang-up
};

// Sleeps for ms milliseconds on the high-resolution counter, processing no events.
void Pause(int ms);

// A wait set in seconds, in milliseconds: a negative one is 0, one too long for an int
// is the longest an int holds.
int SecondsToMs(int seconds);

} // namespace tavrin
