// The clock commands of xboard protocol 2 and the limits they give a search:
// "level", "st" and "sd" are independent, and "time" and "otim" only set
// the clocks.
#pragma once

void cmd_level(const char* line);
void cmd_st_v2(const char* line);
void cmd_sd_v2(const char* line);
void cmd_time_v2(const char* line);
void cmd_otim_v2(const char* line);

// "new": no depth cap, and the clocks unknown until "time" comes; the time
// control stays.
void reset_clocks_for_new_game();

// Sets time_budget_ms and depth_limit for the engine's next search.
void set_search_limits();
