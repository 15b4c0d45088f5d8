// Planted: two units that include each other.
#pragma once
