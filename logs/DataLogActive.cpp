#include "logs/DataLogActive.h"

uint8_t DataLogActive = 0;
