#include "numeric/elementary.h"
