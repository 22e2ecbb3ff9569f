#include "crawler/fetch_page.h"

#include "http/http_request.h"
#include "text/gbk_codec.h"

namespace {

const Text& requestFailedPrefix()
{
    static const Text prefix = text::fromUtf8("请求失败：");
    return prefix;
}

}  // namespace

Text fetchPage(Host& host, const Text& url)
{
    Text status;
    HttpRequestArgs args;
    args.method = static_cast<int>(HttpMethod::Get);
    args.pump = &host;
    args.statusText = &status;
    Text page = httpRequest(url, args);
    // An abandoned request is not a failure of the site: the stop ends the crawl instead.
    if (host.stopRequested()) return Text();
    if (status.empty() || status[0] != '2') host.appendLog(requestFailedPrefix() + status);
    return page;
}

bool crawlStopped(Host& host)
{
    if (!host.stopRequested()) return false;
    static const Text stopped = text::fromUtf8("已停止");
    host.appendLog(stopped);
    return true;
}
