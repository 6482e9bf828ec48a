#pragma once

// Runs the main window until it is closed; returns the exit status. demoUsb
// runs the demo through the emulated USB box instead of the pseudo-terminals,
// demoCan the CAN demo on that box.
int RunWindow(int argc, char** argv, bool demo, bool demoUsb = false, bool demoCan = false);
