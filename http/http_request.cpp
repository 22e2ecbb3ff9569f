#include "http/http_request.h"
