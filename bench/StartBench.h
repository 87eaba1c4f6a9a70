#pragma once

namespace scene {
class Stage;
}

// The game's start timed as a whole process: pelmora-headless (beside this
// bench) from its spawn to its first welcome frame drawn, against
// pelmora-start-yardstick making what that frame shows (the pictures decoded
// so far and the stage's texts, as plain files) in the same run. Call it
// with the welcome screen on stage, in the game folder.
void printStartFigures(const scene::Stage& welcome);
