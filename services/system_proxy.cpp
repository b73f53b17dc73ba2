#include "services/system_proxy.h"

#include <windows.h>
#include <winhttp.h>

#include "services/codepage.h"
#include "services/core/proxy_setting.h"
#include "services/system_dlls.h"

namespace {

// winhttp is no KnownDLL: its functions come from the system folder's copy.
struct WinHttp {
    decltype(&WinHttpGetIEProxyConfigForCurrentUser) userSetting =
        SystemFunction<decltype(&WinHttpGetIEProxyConfigForCurrentUser)>(L"winhttp.dll",
                                                                         "WinHttpGetIEProxyConfigForCurrentUser");
    decltype(&WinHttpOpen) open = SystemFunction<decltype(&WinHttpOpen)>(L"winhttp.dll", "WinHttpOpen");
    decltype(&WinHttpGetProxyForUrl) forUrl =
        SystemFunction<decltype(&WinHttpGetProxyForUrl)>(L"winhttp.dll", "WinHttpGetProxyForUrl");
    decltype(&WinHttpCloseHandle) close =
        SystemFunction<decltype(&WinHttpCloseHandle)>(L"winhttp.dll", "WinHttpCloseHandle");
    decltype(&WinHttpGetDefaultProxyConfiguration) machineSetting =
        SystemFunction<decltype(&WinHttpGetDefaultProxyConfiguration)>(L"winhttp.dll",
                                                                       "WinHttpGetDefaultProxyConfiguration");
};

// The texts WinHTTP hands out, freed when done.
class WinHttpText {
public:
    WinHttpText() = default;
    WinHttpText(const WinHttpText&) = delete;
    WinHttpText& operator=(const WinHttpText&) = delete;
    ~WinHttpText() {
        if (text_) GlobalFree(text_);
    }
    LPWSTR* out() { return &text_; }
    Text get() const { return text_ ? FromWideText(text_) : Text(); }
    bool empty() const { return !text_ || !*text_; }

private:
    LPWSTR text_ = nullptr;
};

struct ProxySetting {
    WinHttpText proxy, bypass;
};

// A named proxy for the address, or empty.
Text Choose(const ProxySetting& setting, std::string_view scheme, std::string_view host) {
    if (setting.proxy.empty() || BypassesProxy(setting.bypass.get(), host)) return {};
    return ProxyForScheme(setting.proxy.get(), scheme);
}

// What automatic detection or the PAC script says; false when neither is
// set or neither answers (Windows then takes the fixed proxy).
bool FromScript(const WinHttp& winHttp, const WINHTTP_CURRENT_USER_IE_PROXY_CONFIG& user, std::string_view url,
                std::string_view scheme, std::string_view host, Text& proxy) {
    if (!user.fAutoDetect && !user.lpszAutoConfigUrl) return false;
    HINTERNET session =
        winHttp.open(L"Tavrin", WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
    if (!session) return false;
    WINHTTP_AUTOPROXY_OPTIONS options = {};
    if (user.fAutoDetect) {
        options.dwFlags |= WINHTTP_AUTOPROXY_AUTO_DETECT;
        options.dwAutoDetectFlags = WINHTTP_AUTO_DETECT_TYPE_DHCP | WINHTTP_AUTO_DETECT_TYPE_DNS_A;
    }
    if (user.lpszAutoConfigUrl) {
        options.dwFlags |= WINHTTP_AUTOPROXY_CONFIG_URL;
        options.lpszAutoConfigUrl = user.lpszAutoConfigUrl;
    }
    options.fAutoLogonIfChallenged = TRUE;
    WINHTTP_PROXY_INFO info = {};
    std::wstring wideUrl = ToWideText(url);
    bool answered = winHttp.forUrl(session, wideUrl.c_str(), &options, &info);
    winHttp.close(session);
    if (!answered) return false;
    ProxySetting found;
    *found.proxy.out() = info.lpszProxy;
    *found.bypass.out() = info.lpszProxyBypass;
    proxy = info.dwAccessType == WINHTTP_ACCESS_TYPE_NAMED_PROXY ? Choose(found, scheme, host) : Text();
    return true;
}

}  // namespace

Text SystemProxyFor(std::string_view url) {
    SchemeAndHost address = SchemeAndHostOf(url);
    const Text& scheme = address.scheme;
    const Text& host = address.host;
    static const WinHttp winHttp;
    WINHTTP_CURRENT_USER_IE_PROXY_CONFIG user = {};
    if (winHttp.userSetting(&user)) {
        ProxySetting fixed;
        WinHttpText script;
        *fixed.proxy.out() = user.lpszProxy;
        *fixed.bypass.out() = user.lpszProxyBypass;
        *script.out() = user.lpszAutoConfigUrl;
        Text proxy;
        if (FromScript(winHttp, user, url, scheme, host, proxy)) return proxy;
        if (!fixed.proxy.empty()) return Choose(fixed, scheme, host);
    }
    WINHTTP_PROXY_INFO machine = {};
    if (!winHttp.machineSetting(&machine)) return {};
    ProxySetting setting;
    *setting.proxy.out() = machine.lpszProxy;
    *setting.bypass.out() = machine.lpszProxyBypass;
    return machine.dwAccessType == WINHTTP_ACCESS_TYPE_NAMED_PROXY ? Choose(setting, scheme, host) : Text();
}
