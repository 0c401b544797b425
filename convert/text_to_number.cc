#include "convert/text_to_number.h"
