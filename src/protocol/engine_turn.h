// The engine's own turn, "go" and "hint".
#pragma once

// Chooses and plays the engine's move; without one, falls into force mode.
void engine_turn();
void cmd_go();
void cmd_hint();
