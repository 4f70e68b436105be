#include "Container.h"
