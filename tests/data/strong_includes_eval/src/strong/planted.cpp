// Planted: the strong search reaching into the classic evaluation.
#include "eval/evaluate.h"
