#include "http/http_request.h"

#include <curl/curl.h>

#include <memory>
#include <new>
#include <string>
#include <vector>

#include "http/charset_decoding.h"
#include "http/cookies.h"
#include "http/request_headers.h"
#include "http/request_url.h"
#include "text/gbk_codec.h"

// How an exchange runs over libcurl:
// - the address is checked and made safe for a request line here (request_url.h), so libcurl
//   only ever sees absolute http/https addresses; redirects are held to the same schemes;
// - the request carries exactly the header block buildRequestHeaders makes, plus Host,
//   Content-Length for a body and the Authorization lines of credentials: the lines libcurl
//   would add on its own (Accept, Expect, Content-Type, Proxy-Connection) are switched off;
// - the transfer runs on a multi handle polled in short slices, so the caller's pump keeps the
//   window painting and can abandon the request at once;
// - the multi handles are kept for the thread's life, so a request finds the connection the
//   one before it left open to the same host. Nothing else carries over: libcurl's cookie
//   engine is never switched on and every option is reset between requests.

namespace {

const int DefaultTimeoutSeconds = 30;
const long MaxRedirects = 10;
const long LowSpeedLimitBytesPerSecond = 1;
const int PollSliceWithPumpMs = 15;
const int PollSliceMs = 1000;
const char* const AllowedProtocols = "http,https";
const curl_off_t MaxBodyReserve = 64 * 1024 * 1024;

const char* const Verbs[] = {"GET", "POST", "HEAD", "PUT", "OPTIONS", "DELETE", "TRACE", "CONNECT"};
const int VerbCount = static_cast<int>(sizeof Verbs / sizeof Verbs[0]);
const int GetMethod = 0;
const int PostMethod = 1;
const int HeadMethod = 2;

// Header lines libcurl would add by itself; a name with nothing after the colon tells it not to.
const char* const SuppressedLibraryHeaders[] = {"Accept:", "Expect:", "Content-Type:",
                                                "Proxy-Connection:"};

const Text LineBreak = "\r\n";
const std::string StatusLineVersion = "HTTP/1.1";

// Set up libcurl once; false when it cannot carry http and https.
bool libraryUsable()
{
    static const bool usable = [] {
        if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) return false;
        const curl_version_info_data* info = curl_version_info(CURLVERSION_NOW);
        bool http = false;
        bool https = false;
        for (const char* const* p = info ? info->protocols : nullptr; p && *p; ++p) {
            http = http || std::string(*p) == "http";
            https = https || std::string(*p) == "https";
        }
        return http && https;
    }();
    return usable;
}

// One multi handle (with its connection cache) and one easy handle per nesting level: a request
// started from inside another request's pump takes the next free pair. Each thread has its own
// pairs, as libcurl handles may not be used by two threads at once.
struct TransferSlot {
    CURLM* multi = nullptr;
    CURL* easy = nullptr;
    bool busy = false;
    ~TransferSlot()
    {
        if (easy) curl_easy_cleanup(easy);
        if (multi) curl_multi_cleanup(multi);
    }
};

std::vector<std::unique_ptr<TransferSlot>>& transferSlots()
{
    static thread_local std::vector<std::unique_ptr<TransferSlot>> slots;
    return slots;
}

class SlotLease {
public:
    SlotLease()
    {
        auto& slots = transferSlots();
        for (auto& slot : slots) {
            if (!slot->busy) {
                slot_ = slot.get();
                break;
            }
        }
        if (!slot_) {
            slots.push_back(std::make_unique<TransferSlot>());
            slot_ = slots.back().get();
        }
        if (!slot_->multi) slot_->multi = curl_multi_init();
        if (!slot_->easy) slot_->easy = curl_easy_init();
        else curl_easy_reset(slot_->easy);
        slot_->busy = true;
    }
    ~SlotLease() { slot_->busy = false; }
    SlotLease(const SlotLease&) = delete;
    SlotLease& operator=(const SlotLease&) = delete;

    bool ready() const { return slot_->multi && slot_->easy; }
    CURLM* multi() const { return slot_->multi; }
    CURL* easy() const { return slot_->easy; }

private:
    TransferSlot* slot_ = nullptr;
};

class HeaderList {
public:
    ~HeaderList() { curl_slist_free_all(list_); }
    bool append(const std::string& line)
    {
        curl_slist* grown = curl_slist_append(list_, line.c_str());
        if (!grown) return false;
        list_ = grown;
        return true;
    }
    curl_slist* get() const { return list_; }

private:
    curl_slist* list_ = nullptr;
};

// libcurl skips a custom header line with no colon, or nothing after its colon. Such a line is
// sent as written by joining it to a neighbouring line, which libcurl sends unchanged; when the
// block has no line of its own to join, the request's Host line carries it.
bool sendableOnItsOwn(const std::string& line)
{
    const size_t colon = line.find(':');
    if (colon == std::string::npos || colon == 0) return false;
    return line.find_first_not_of(" \t", colon + 1) != std::string::npos;
}

bool fillHeaderList(const Text& block, const std::string& hostLine, HeaderList& list)
{
    std::vector<std::string> entries;
    std::string pending;  // lines waiting for a sendable line to travel with
    for (const Text& line : text::split(block, LineBreak)) {
        if (line.empty()) continue;
        if (sendableOnItsOwn(line)) {
            entries.push_back(pending.empty() ? line : pending + "\r\n" + line);
            pending.clear();
        } else if (!entries.empty()) {
            entries.back() += "\r\n" + line;
        } else {
            pending = pending.empty() ? line : pending + "\r\n" + line;
        }
    }
    if (!pending.empty()) entries.push_back(hostLine + "\r\n" + pending);
    for (const std::string& entry : entries) {
        if (!list.append(entry)) return false;
    }
    for (const char* line : SuppressedLibraryHeaders) {
        if (!list.append(line)) return false;
    }
    return true;
}

// What the transfer collects: the header block and body of the latest response (a redirect or
// an interim response is replaced by the next one) and how far the current hop got.
struct Exchange {
    CURL* easy = nullptr;
    Bytes headers;
    Bytes body;
    bool requestStarted = false;  // the current hop is sending or its header block is not over
    bool awaitingStatus = false;  // the next header line is a status line
    int finalBlocks = 0;          // complete header blocks of non-interim responses
    bool bodyReserved = false;
};

int onPrerequest(void* data, char*, char*, int, int)
{
    auto* exchange = static_cast<Exchange*>(data);
    exchange->requestStarted = true;
    exchange->awaitingStatus = true;
    return CURL_PREREQFUNC_OK;
}

// Header bytes reach the caller as GBK text: a sequence that is not GBK becomes "?", as a code
// page conversion would make it, so a stray lead byte cannot swallow the line break after it.
std::string asGbkLine(const std::string& line)
{
    for (const char c : line) {
        if (static_cast<unsigned char>(c) >= 0x80) return text::fromUtf16(text::toUtf16(line));
    }
    return line;
}

size_t readHeaderLine(const char* data, size_t length, Exchange* exchange)
{
    std::string line(data, length);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    if (exchange->awaitingStatus) {
        // A new response: what an earlier one (a redirect, "100 Continue") left goes.
        exchange->awaitingStatus = false;
        exchange->headers.clear();
        exchange->body.clear();
        exchange->bodyReserved = false;
        // Callers read the status text after a nine-byte "HTTP/1.x " prefix.
        const size_t space = line.find(' ');
        const std::string version = line.substr(0, space);
        if (version.size() != StatusLineVersion.size())
            line = StatusLineVersion + (space == std::string::npos ? std::string(" ") : line.substr(space));
    } else if (!exchange->requestStarted) {
        // The trailer of a chunked body: not part of the response's header block.
        return length;
    } else if (line.empty()) {
        long code = 0;
        curl_easy_getinfo(exchange->easy, CURLINFO_RESPONSE_CODE, &code);
        if (code >= 200 || code == 0) {
            ++exchange->finalBlocks;
            exchange->requestStarted = false;
        } else {
            exchange->awaitingStatus = true;
        }
    }
    exchange->headers += asGbkLine(line);
    exchange->headers += LineBreak;
    return length;
}

size_t onHeaderLine(char* data, size_t size, size_t count, void* userData) noexcept
{
    try {
        return readHeaderLine(data, size * count, static_cast<Exchange*>(userData));
    } catch (...) {
        return 0;
    }
}

size_t onBodyBytes(char* data, size_t size, size_t count, void* userData) noexcept
{
    auto* exchange = static_cast<Exchange*>(userData);
    const size_t length = size * count;
    // No exception may cross libcurl: running out of memory ends the transfer as a failed read.
    try {
        if (!exchange->bodyReserved) {
            exchange->bodyReserved = true;
            curl_off_t expected = -1;
            curl_easy_getinfo(exchange->easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &expected);
            if (expected > 0 && expected <= MaxBodyReserve) exchange->body.reserve(static_cast<size_t>(expected));
        }
        exchange->body.append(data, length);
    } catch (...) {
        return 0;
    }
    return length;
}

// The failure a user sees for a transfer libcurl ended with an error.
HttpErrorCode failureOf(CURLcode code, const Exchange& exchange, long redirectCount)
{
    switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_CONNECT:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_ENGINE_NOTFOUND:
    case CURLE_SSL_ENGINE_SETFAILED:
    case CURLE_SSL_ENGINE_INITFAILED:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_PROXY:
    case CURLE_LOGIN_DENIED:
        return HttpErrorCode::SendFailed;
    case CURLE_TOO_MANY_REDIRECTS:
    case CURLE_GOT_NOTHING:
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_UNSUPPORTED_PROTOCOL:  // a redirect to another scheme
        return HttpErrorCode::NoResponse;
    case CURLE_URL_MALFORMAT:
        // A host name libcurl refuses (a comma in it, say, or a non-ASCII name it cannot
        // convert): the caller's address when nothing was followed yet, else a redirect's.
        return redirectCount == 0 ? HttpErrorCode::BadUrl : HttpErrorCode::NoResponse;
    default:
        break;
    }
    // Time-outs, broken connections and the like: it depends on how far the current hop got.
    if (exchange.finalBlocks > redirectCount) return HttpErrorCode::ReadFailed;
    if (exchange.requestStarted) return HttpErrorCode::NoResponse;
    return HttpErrorCode::SendFailed;
}

class Engine {
public:
    Engine(const Text& url, const HttpRequestArgs& args) : url_(url), args_(args) {}
    Text run();

private:
    // Ends a call that failed before any response: the failure text, the pump, no result.
    Text fail(HttpErrorCode code, bool pump = true)
    {
        if (args_.statusText) *args_.statusText = httpErrorText(code);
        if (pump) processMessages();
        return Text();
    }
    void processMessages()
    {
        if (args_.pump) args_.pump->processPendingMessages();
    }
    bool stopRequested() const { return args_.pump && args_.pump->stopRequested(); }

    // Each returns false when libcurl refused an option.
    bool setSessionOptions(CURL* easy);
    bool setTimeouts(CURL* easy);
    bool setRequestOptions(CURL* easy);
    bool setCredentials(CURL* easy);
    bool setRedirects(CURL* easy);

    const Text& url_;
    const HttpRequestArgs& args_;
    RequestTarget target_;
    Bytes requestBody_;
};

template <typename T>
bool set(CURL* easy, CURLoption option, T value)
{
    return curl_easy_setopt(easy, option, value) == CURLE_OK;
}

bool Engine::setSessionOptions(CURL* easy)
{
    // A request abandoned (or timed out) while the name is still being resolved returns at once
    // instead of waiting for the resolver thread to finish; the thread ends on its own.
    set(easy, CURLOPT_QUICK_EXIT, 1L);
    bool ok = set(easy, CURLOPT_PROXYTYPE, static_cast<long>(CURLPROXY_HTTP));
    // An empty proxy name keeps libcurl from reading http_proxy and its kind, and an empty
    // exception list from reading no_proxy: the caller's proxy alone decides.
    ok = ok && set(easy, CURLOPT_PROXY, args_.proxy.c_str()) && set(easy, CURLOPT_NOPROXY, "");
    if (ok && !args_.proxy.empty())
        ok = set(easy, CURLOPT_PROXY_SSL_VERIFYPEER, 0L) && set(easy, CURLOPT_PROXY_SSL_VERIFYHOST, 0L);
    return ok;
}

bool Engine::setTimeouts(CURL* easy)
{
    const long seconds = args_.timeoutSeconds > 0 ? args_.timeoutSeconds : DefaultTimeoutSeconds;
    // Resolving and connecting (TLS included) get the whole time-out; after that, sending or
    // receiving may stall for as long before the transfer is given up.
    return set(easy, CURLOPT_CONNECTTIMEOUT_MS, seconds * 1000L) &&
           set(easy, CURLOPT_LOW_SPEED_LIMIT, LowSpeedLimitBytesPerSecond) &&
           set(easy, CURLOPT_LOW_SPEED_TIME, seconds);
}

bool Engine::setRequestOptions(CURL* easy)
{
    // Any index outside the table is sent as GET.
    const int method = args_.method >= 0 && args_.method < VerbCount ? args_.method : GetMethod;
    const char* verb = Verbs[method];
    bool ok = set(easy, CURLOPT_PROTOCOLS_STR, AllowedProtocols) &&
              set(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1)) &&
              set(easy, CURLOPT_HTTP_CONTENT_DECODING, 0L) &&
              set(easy, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    if (!ok) return false;
    if (method == HeadMethod) return set(easy, CURLOPT_NOBODY, 1L);
    if (method == PostMethod || !requestBody_.empty()) {
        ok = set(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(requestBody_.size())) &&
             set(easy, CURLOPT_POSTFIELDS, requestBody_.data());
        // libcurl turns a POST into a GET on 301, 302 and 303 as browsers do; a verb set by
        // name would stay on every hop, so POST keeps libcurl's own.
        if (ok && method != PostMethod) ok = set(easy, CURLOPT_CUSTOMREQUEST, verb);
        return ok;
    }
    if (method != GetMethod) return set(easy, CURLOPT_CUSTOMREQUEST, verb);
    return set(easy, CURLOPT_HTTPGET, 1L);
}

bool Engine::setCredentials(CURL* easy)
{
    bool ok = true;
    if (!args_.userName.empty() && !args_.password.empty()) {
        ok = set(easy, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC)) &&
             set(easy, CURLOPT_USERNAME, args_.userName.c_str()) &&
             set(easy, CURLOPT_PASSWORD, args_.password.c_str());
    }
    if (ok && !args_.proxyUserName.empty() && !args_.proxyPassword.empty()) {
        ok = set(easy, CURLOPT_PROXYAUTH, static_cast<long>(CURLAUTH_BASIC)) &&
             set(easy, CURLOPT_PROXYUSERNAME, args_.proxyUserName.c_str()) &&
             set(easy, CURLOPT_PROXYPASSWORD, args_.proxyPassword.c_str());
    }
    return ok;
}

bool Engine::setRedirects(CURL* easy)
{
    if (args_.forbidRedirect) return set(easy, CURLOPT_FOLLOWLOCATION, 0L);
    return set(easy, CURLOPT_FOLLOWLOCATION, 1L) && set(easy, CURLOPT_MAXREDIRS, MaxRedirects) &&
           set(easy, CURLOPT_REDIR_PROTOCOLS_STR, AllowedProtocols);
}

Text Engine::run()
{
    if (!libraryUsable()) return fail(HttpErrorCode::PlatformUnsupported, false);
    if (!parseRequestUrl(url_, target_)) return fail(HttpErrorCode::BadUrl);

    SlotLease slot;
    if (!slot.ready()) return fail(HttpErrorCode::SessionFailed);
    CURL* easy = slot.easy();
    if (!setSessionOptions(easy)) return fail(HttpErrorCode::SessionFailed);
    if (!setTimeouts(easy)) return fail(HttpErrorCode::TimeoutFailed);
    if (!set(easy, CURLOPT_URL, target_.address.c_str()) || !set(easy, CURLOPT_PATH_AS_IS, 1L))
        return fail(HttpErrorCode::ConnectFailed);
    requestBody_ = !args_.postBytes.empty() ? args_.postBytes : text::toBytes(args_.postText);
    if (!setRequestOptions(easy)) return fail(HttpErrorCode::RequestFailed);
    if (!setCredentials(easy)) return fail(HttpErrorCode::CredentialsFailed, false);
    if (!set(easy, CURLOPT_SSL_VERIFYPEER, 0L) || !set(easy, CURLOPT_SSL_VERIFYHOST, 0L))
        return fail(HttpErrorCode::SecurityFlagsFailed, false);
    // libcurl's cookie engine stays off unless asked for; it never is.
    if (!setRedirects(easy)) return fail(HttpErrorCode::RedirectOptionFailed, false);

    const Text sentCookies = args_.sendCookies ? *args_.sendCookies : Text();
    HeaderList headerLines;
    const Text block = buildRequestHeaders(args_.extraHeaders, args_.method, sentCookies,
                                           args_.completeHeaders, args_.capitaliseHeaderNames);
    if (!fillHeaderList(block, "Host: " + target_.hostHeader, headerLines) || !set(easy, CURLOPT_HTTPHEADER, headerLines.get()))
        return fail(HttpErrorCode::HeadersFailed);

    Exchange exchange;
    exchange.easy = easy;
    if (!set(easy, CURLOPT_HEADERFUNCTION, onHeaderLine) || !set(easy, CURLOPT_HEADERDATA, &exchange) ||
        !set(easy, CURLOPT_WRITEFUNCTION, onBodyBytes) || !set(easy, CURLOPT_WRITEDATA, &exchange) ||
        !set(easy, CURLOPT_PREREQFUNCTION, onPrerequest) || !set(easy, CURLOPT_PREREQDATA, &exchange))
        return fail(HttpErrorCode::RequestFailed);

    // The transfer, in short slices so the window keeps painting.
    CURLM* multi = slot.multi();
    if (curl_multi_add_handle(multi, easy) != CURLM_OK) return fail(HttpErrorCode::SendFailed);
    const int slice = args_.pump ? PollSliceWithPumpMs : PollSliceMs;
    CURLcode result = CURLE_OK;
    bool finished = false;
    while (!finished) {
        int running = 0;
        const CURLMcode performed = curl_multi_perform(multi, &running);
        if (performed != CURLM_OK) {
            result = CURLE_SEND_ERROR;
            break;
        }
        int queued = 0;
        while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
            if (message->msg == CURLMSG_DONE && message->easy_handle == easy) {
                result = message->data.result;
                finished = true;
            }
        }
        if (finished || running == 0) break;
        curl_multi_poll(multi, nullptr, 0, slice, nullptr);
        if (args_.pump) {
            args_.pump->processPendingMessages();
            if (stopRequested()) {
                // Abandoned: libcurl closes the connection; no output is written.
                curl_multi_remove_handle(multi, easy);
                return Text();
            }
        }
    }
    long redirectCount = 0;
    curl_easy_getinfo(easy, CURLINFO_REDIRECT_COUNT, &redirectCount);
    curl_multi_remove_handle(multi, easy);

    if (result != CURLE_OK) {
        const HttpErrorCode failure = failureOf(result, exchange, redirectCount);
        if (failure != HttpErrorCode::ReadFailed) return fail(failure);
        // The body was cut off: what arrived is still returned, and the status text of the
        // headers replaces the failure text.
        if (args_.statusText) *args_.statusText = httpErrorText(failure);
    }
    if (exchange.headers.empty()) {
        processMessages();
        return Text();
    }

    Text returned = args_.returnedCookies ? *args_.returnedCookies : Text();
    ResponseHeaderTargets targets;
    targets.returnedHeaders = args_.returnedHeaders;
    targets.statusText = args_.statusText;
    targets.redirectLocation = args_.redirectLocation;
    targets.returnedCookies = &returned;
    readResponseHeaders(exchange.headers, targets, args_.pump);

    tidyReturnedCookies(returned);
    if (args_.autoMergeCookies && !sentCookies.empty()) {
        Text sent = sentCookies;
        returned = mergeCookies(sent, returned);
        if (args_.sendCookies) *args_.sendCookies = sent;
    }
    if (args_.returnedCookies) *args_.returnedCookies = returned;
    if (args_.responseBytes) *args_.responseBytes = exchange.body;

    const Text page = decodeResponseText(exchange.body, args_.pump);
    processMessages();
    return page;
}

}  // namespace

Text httpRequest(const Text& url, const HttpRequestArgs& args)
{
    try {
        return Engine(url, args).run();
    } catch (const std::bad_alloc&) {
        // A body too large to hold (or to copy into the outputs): the read failed.
        if (args.statusText) *args.statusText = httpErrorText(HttpErrorCode::ReadFailed);
        return Text();
    }
}
