// Room for new user functions below the function area. The stack block
// holds, bottom to top:
//   stackBlock .. ramstart        room kept free for new functions
//   ramstart .. functionsEnd      user functions, newest first
//   functionsEnd .. ramend        variables, frames, temporaries, free space
// A new function takes the bytes just below `ramstart`, which moves down:
// the records stay contiguous and newest first, and every offset from
// `ramstart` changes as if the function had been inserted at `ramstart`
// with everything above moved up, but nothing moves. Only when the room is
// used up does everything from `ramstart` to `newram` move up, by about the
// size of the function area, so that n definitions move it a logarithmic
// number of times. A removed function's gap is closed from the side with
// fewer bytes: the newer functions below it move up (`ramstart` rises, the
// room grows) or everything above it moves down.
#pragma once

#include <cstdint>

namespace kalix {

// The allocated block; null when the stack was set up without one (then
// there is no room and a new function moves everything above it up).
// Owner: the computation thread.
extern char* stackBlock;

constexpr int64_t minimumFunctionRoom = 64 * 1024;

// The place for a new function record of `size` bytes, which becomes the
// new `ramstart`; null when the stack has no room. Live StackRefs stay on
// their records.
char* openFunctionPlace(int64_t size);

}  // namespace kalix
