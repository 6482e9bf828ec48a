#pragma once

// Runs the main window until it is closed; returns the exit status.
int RunWindow(int argc, char** argv, bool demo);
