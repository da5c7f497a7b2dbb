#pragma once

namespace tarnwick {

// Asks the serial driver behind `fd` to hand received bytes over at once instead of holding
// them for its latency timer (USB adapters wait up to 16 ms by default, which slows every
// one-character verdict). Returns whether the driver runs in low-latency mode afterwards.
// Drivers without the notion, pseudo-terminals among them, refuse; that is harmless.
bool RequestLowLatency(int fd);

}  // namespace tarnwick
