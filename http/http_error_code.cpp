#include "http/http_error_code.h"

#include "text/gbk_codec.h"

namespace {

const char* utf8TextOf(HttpErrorCode code)
{
    switch (code) {
    case HttpErrorCode::PlatformUnsupported: return "700 当前系统不支持WinHttp服务!";
    case HttpErrorCode::BadUrl: return "701 解析URL地址失败!";
    case HttpErrorCode::SessionFailed: return "702 创建WinHttp会话失败!";
    case HttpErrorCode::ConnectFailed: return "703 创建WinHttp连接失败!";
    case HttpErrorCode::RequestFailed: return "704 创建WinHttp请求失败!";
    case HttpErrorCode::TimeoutFailed: return "705 设置超时时间失败!";
    case HttpErrorCode::CredentialsFailed: return "707 设置代理凭证失败!";
    case HttpErrorCode::CookieOptionFailed: return "708 禁止自动设置Cookies失败!";
    case HttpErrorCode::RedirectOptionFailed: return "709 重定向设置失败!";
    case HttpErrorCode::HeadersFailed: return "710 设置协议头失败!";
    case HttpErrorCode::SendFailed: return "711 发送请求失败!";
    case HttpErrorCode::NoResponse: return "712 服务器未响应!";
    case HttpErrorCode::ReadFailed: return "713 读取数据失败!";
    // Two ASCII spaces before the last word, and a full-width exclamation mark.
    case HttpErrorCode::SecurityFlagsFailed: return "忽略错误/证书错误  失败！";
    }
    return "";
}

}  // namespace

Text httpErrorText(HttpErrorCode code)
{
    return text::fromUtf8(utf8TextOf(code));
}
