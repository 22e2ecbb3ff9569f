#include "data/file_io.h"
