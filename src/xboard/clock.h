// The time commands of both protocol versions and the limits they give the
// engine's search.
#pragma once
#include "xboard/session.h"

// Protocol 1: each time command sets both the budget and the depth.
void cmd_st_v1(XboardSession& session, const char* line);
void cmd_sd_v1(XboardSession& session, const char* line);
void cmd_time_v1(XboardSession& session, const char* line);

// Protocol 2: "level", "st" and "sd" are independent; "time" and "otim"
// only set the clocks.
void cmd_level(XboardSession& session, const char* line);
void cmd_st_v2(XboardSession& session, const char* line);
void cmd_sd_v2(XboardSession& session, const char* line);
void cmd_time_v2(XboardSession& session, const char* line);
void cmd_otim_v2(XboardSession& session, const char* line);

// "new" in protocol 2: no depth cap, and the clocks unknown until "time"
// comes; the time control stays.
void reset_clock_for_new_game(XboardSession& session);

// The limits of the engine's next search in each version.
SearchLimits search_limits_v1(const XboardSession& session);
SearchLimits search_limits_v2(const XboardSession& session);
