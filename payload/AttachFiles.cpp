#include "AttachFiles.h"
