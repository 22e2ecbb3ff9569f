#include "data/data_cleaning.h"
