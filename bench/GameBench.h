#pragma once

// Prints the figures of a real 24-order game played in gameDir (holding assets.dat).
void printGameFigures(const char* gameDir);
