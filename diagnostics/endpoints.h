#pragma once

#include <QString>
#include <QStringList>

namespace brevik {

// The remote hosts that the checks and the verification talk to. One place, so that every
// message, command and probe names the same host; the simulated Mac answers for exactly
// these.
namespace Endpoints {

inline const QString kSearchHost = QStringLiteral("www.bing.com");
inline const QString kDnsTestHost = QStringLiteral("www.apple.com"); // also the HTTPS test site
inline const QString kHttpsTestUrl = QStringLiteral("https://www.apple.com");
inline const QString kCaptivePortalUrl =
    QStringLiteral("http://captive.apple.com/hotspot-detect.html");
inline const QString kTimeServer = QStringLiteral("time.apple.com");
inline const QStringList kDownloadUrls{
    QStringLiteral("https://mirrors.aliyun.com/ubuntu/ls-lR.gz"),
    QStringLiteral("https://speed.cloudflare.com/__down?bytes=400000"),
};
inline const QString kIPv6OnlyHost = QStringLiteral("ipv6.google.com");

inline const QString kDeepSeekUrl = QStringLiteral("https://api.deepseek.com/");
inline const QString kAnthropicUrl = QStringLiteral("https://api.anthropic.com/v1/models");
inline const QString kOpenAIUrl = QStringLiteral("https://api.openai.com/v1/models");
inline const QString kGlmUrl =
    QStringLiteral("https://open.bigmodel.cn/api/paas/v4/chat/completions");
inline const QString kGeminiUrl = QStringLiteral("https://generativelanguage.googleapis.com/");
inline const QString kHuggingFaceUrl = QStringLiteral("https://huggingface.co/");

// Asked of dig for invalid answers: the API hosts of the two providers the AI check probes.
inline const QStringList kPollutionHosts{QStringLiteral("api.anthropic.com"),
                                         QStringLiteral("api.openai.com")};

// /etc/hosts lines are looked at only when they mention one of these, in this order.
inline const QStringList kWatchedDomains{
    QStringLiteral("apple.com"),    QStringLiteral("icloud.com"),    QStringLiteral("google.com"),
    QStringLiteral("bing.com"),     QStringLiteral("qq.com"),        QStringLiteral("alipay.com"),
    QStringLiteral("taobao.com"),   QStringLiteral("anthropic.com"), QStringLiteral("openai.com"),
    QStringLiteral("deepseek.com"), QStringLiteral("bigmodel.cn"),
};
inline const QStringList kAIDomains{
    QStringLiteral("anthropic.com"), QStringLiteral("openai.com"), QStringLiteral("deepseek.com"),
    QStringLiteral("bigmodel.cn"),   QStringLiteral("claude.ai"),  QStringLiteral("chatgpt.com"),
};

} // namespace Endpoints

} // namespace brevik
