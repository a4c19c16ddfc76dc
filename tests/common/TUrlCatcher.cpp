#include "TUrlCatcher.h"
