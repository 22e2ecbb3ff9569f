#pragma once
// The crawls' one kind of request: a GET of a page that lets the host's window keep running.
//
// Returns the page text (empty, or the part that arrived, after a failure). A request that failed
// or got no 2xx status adds the log line "请求失败：" + status text. A request abandoned because
// the host asked to stop logs nothing; callers check host.stopRequested() afterwards.

#include "data/host.h"
#include "text/text.h"

Text fetchPage(Host& host, const Text& url);

// True when the host asked the crawl to stop; the crawl's last log line "已停止" is then written.
bool crawlStopped(Host& host);
