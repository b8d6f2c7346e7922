#include "interpreter/state_hand_over.h"

#include <atomic>
#include <thread>

namespace kalix {

namespace {

// Recursive: a hold may call code that takes one again.
std::recursive_mutex handOverMutex;
// Written by the computation thread, under handOverMutex.
bool handedOver = false;
// The thread inside a hold and its nesting; written under handOverMutex,
// read by any thread asking whether it is that thread.
std::atomic<std::thread::id> holder{};
int holdDepth = 0;  // under handOverMutex
// Set by the GUI thread when the windows open; read by any thread.
std::atomic<std::thread::id> reader{};

}  // namespace

void handOverState() {
    std::lock_guard<std::recursive_mutex> hold(handOverMutex);
    handedOver = true;
}

void takeBackState() {
    std::lock_guard<std::recursive_mutex> hold(handOverMutex);
    handedOver = false;
}

StateHandOverHold::StateHandOverHold() : lock(handOverMutex), handed(handedOver) {
    if (holdDepth++ == 0) holder = std::this_thread::get_id();
}

StateHandOverHold::~StateHandOverHold() {
    if (--holdDepth == 0) holder = std::thread::id();
}

bool stateHandedToCaller() {
    // Only the holder reads the flag, and it holds the mutex.
    return holder.load() == std::this_thread::get_id() && handedOver;
}

void setHandOverReader() { reader = std::this_thread::get_id(); }

bool stateReadableByCaller() {
    return reader.load() != std::this_thread::get_id() || stateHandedToCaller();
}

}  // namespace kalix
