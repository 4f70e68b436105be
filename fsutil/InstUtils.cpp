#include "InstUtils.h"
