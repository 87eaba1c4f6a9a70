#pragma once

// Registers a factory with the screen manager for every screen identifier.
void registerScreens();
