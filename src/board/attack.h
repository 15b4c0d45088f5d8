// Attack queries on the current position; side_in_check keeps its answer, nothing else is written.
#pragma once

int is_attacked(int target, int attacker);  // 1 if a piece of `attacker` attacks `target`

// 1 if a bishop, rook or queen of `attacker` attacks `target` along the
// line from `target` through `through`; 0 when the two share no line.
int is_attacked_through(int target, int through, int attacker);

// 1 if that colour's king is attacked, or it has none. The answer is kept in
// check_status until the board changes.
int side_in_check(int colour);
