// The game's sounds: WAVE resources of the program, each played from a
// short thread of its own so that the caller never waits.
#pragma once

namespace game {

// name: "TICK", "LAST", "NEXT", "DONE" or "TADA" (a literal: it outlives the thread)
void PlaySoundAsync(const char* name);

}  // namespace game
