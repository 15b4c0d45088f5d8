// Attack queries on the current position; they only read the board.
#pragma once

int is_attacked(int target, int attacker);  // 1 if a piece of `attacker` attacks `target`
int side_in_check(int colour);              // 1 if that colour's king is attacked, or it has none
