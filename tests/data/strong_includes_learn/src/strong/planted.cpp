// Planted: the engine may not include the trainer's layer.
#include "learn/game_record.h"
