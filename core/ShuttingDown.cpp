#include "core/ShuttingDown.h"

bool ShuttingDown = false;
