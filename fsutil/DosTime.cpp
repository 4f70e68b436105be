#include "DosTime.h"
