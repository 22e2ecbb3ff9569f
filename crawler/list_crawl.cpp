#include "crawler/list_crawl.h"
