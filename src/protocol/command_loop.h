// Start-up and the protocol command loop.
#pragma once
void start_engine();
