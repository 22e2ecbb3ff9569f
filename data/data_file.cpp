#include "data/data_file.h"
