// Keys of the terminal host given ahead of the keyboard.
#pragma once

namespace kalix {

// Queues the bytes of keys as a terminal sends them ("\x1b[B" is cursor
// down, "\x1b[2~" Insert, "\x1bOP" F1, a lone "\x1b" Escape); the key waits
// and the key poll take queued keys before any key typed. Null forgets the
// keys still queued.
void queueKeys(const char* bytes);

}  // namespace kalix
