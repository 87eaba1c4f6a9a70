#pragma once

// The load tool's leaderboard phase: a million chefs more, then the pages
// players look at, each against the home page served in the same run.

#include "SqlConnection.h"

#include <string>
#include <vector>

namespace pelmora::load {

struct BoardFigures {
    std::string setup;
    int errors = 0;
    double loadSeconds = 0;
    double homeP99 = 0, firstP99 = 0, middleP99 = 0, chefP99 = 0;
};

// Adds accounts chefs "bulk1" ... in one statement, then lets the engine
// know the table's new size; returns the seconds that took.
double loadChefs(pelmora::server::SqlConnection& c, int accounts);

// clients at once, each rounds times the home page, the first page, a middle
// page and a chef's page, in turns.
BoardFigures boardRun(const std::string& setup, int port, int accounts, int clients, int rounds);

void printBoard(const std::vector<BoardFigures>& all, int accounts, int clients, int rounds);

}  // namespace pelmora::load
