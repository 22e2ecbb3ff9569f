#include "crawler/detail_crawl.h"
