#include "data/csv_export.h"
