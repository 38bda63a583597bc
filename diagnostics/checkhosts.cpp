#include "diagnostics/decisions.h"
#include "diagnostics/diagnosticsrun.h"
#include "diagnostics/endpoints.h"
#include "diagnostics/makefinding.h"
#include "exec/shell.h"
#include "model/editablefiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QMap>
#include <QRegularExpression>

namespace brevik {

namespace {

struct Texts {
    Q_DECLARE_TR_FUNCTIONS(CheckHosts)
};

// A proxy assignment on a line that is not a comment: the variable may start the line (after
// blanks) or follow other text ("export ", "[ -n x ] && export "). grep and sed run it with
// case folding, so HTTPS_PROXY counts as https_proxy does.
const QString kProxyAssignment = QStringLiteral(
    "^[[:space:]]*((https?_proxy|all_proxy)=|[^#[:space:]].*(https?_proxy|all_proxy)=)");

QStringList trimmedLines(const QString &text)
{
    QStringList lines;
    for (const QString &line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QString trimmed = line.trimmed();
        if (!trimmed.isEmpty())
            lines << trimmed;
    }
    return lines;
}

bool containsAny(const QString &line, const QStringList &needles)
{
    for (const QString &needle : needles) {
        if (line.contains(needle))
            return true;
    }
    return false;
}

enum class HostsLine { unrelated, custom, suspicious };

// Each line is judged once, by its own text: a hosts file that blocks a hundred thousand
// names costs a hundred thousand lookups of a few fixed words, nothing more.
// "0.0.0.0 www.apple.com" sinks the name; " 127." catches a second, loopback column.
HostsLine classify(const QString &line)
{
    if (!containsAny(line, Endpoints::kWatchedDomains))
        return HostsLine::unrelated;
    if (containsAny(line, Endpoints::kAIDomains) || line.contains(QLatin1String("0.0.0.0")) ||
        line.contains(QLatin1String(" 127.")))
        return HostsLine::suspicious;
    return HostsLine::custom;
}

// Comments out every active line naming a watched domain.
QString hostsSedExpression()
{
    QStringList alternatives;
    for (QString domain : Endpoints::kWatchedDomains)
        alternatives << domain.replace(QLatin1Char('.'), QLatin1String("[.]"));
    return QStringLiteral("s/^[[:space:]]*[^#].*(") + alternatives.join(QLatin1Char('|')) +
           QStringLiteral(")/# &/");
}

Finding hostsFinding(const QString &hostsLines)
{
    const QStringList lines = trimmedLines(hostsLines);
    QStringList suspicious;
    QStringList custom;
    for (const QString &line : lines) {
        switch (classify(line)) {
        case HostsLine::suspicious:
            suspicious << line;
            break;
        case HostsLine::custom:
            custom << line;
            break;
        case HostsLine::unrelated:
            break;
        }
    }

    if (!suspicious.isEmpty()) {
        Finding finding = makeFinding(
            QStringLiteral("hosts-hijack"), Severity::warn, CheckCategory::system,
            Texts::tr("/etc/hosts 存在劫持 AI 域名或黑洞地址的条目"),
            Texts::tr("以下域名被本地 hosts 指向无效/固定地址，会导致网站或 AI 服务打不开：\n%1")
                .arg(suspicious.join(QLatin1Char('\n'))));
        finding.fixHint = Texts::tr(
            "先备份 /etc/hosts，再自动注释掉可疑行（原文件保存为 /etc/hosts.brevik.bak）。");
        finding.fix =
            makeRepair(QStringLiteral("fix-hosts"), Texts::tr("注释可疑条目（自动备份）"),
                       {RepairOps::EditFile{EditableFiles::kHostsFile, {hostsSedExpression()}},
                        RepairOps::FlushDnsCache{}, RepairOps::ReloadResolver{}},
                       RepairRights::admin,
                       Texts::tr("已注释可疑条目并刷新 DNS 缓存（备份：/etc/hosts.brevik.bak）"));
        return finding;
    }
    if (!custom.isEmpty()) {
        return makeFinding(
            QStringLiteral("hosts-custom"), Severity::info, CheckCategory::system,
            Texts::tr("/etc/hosts 有自定义条目（通常无害）"),
            Texts::tr("未发现劫持 AI 域名或黑洞地址的条目。以下自定义映射供参考：\n%1\n\n"
                      "提示：若某个网站打不开，可尝试注释对应条目。")
                .arg(custom.join(QLatin1Char('\n'))));
    }
    return makeFinding(QStringLiteral("hosts-ok"), Severity::ok, CheckCategory::system,
                       Texts::tr("/etc/hosts 正常"),
                       Texts::tr("没有发现针对常见域名或 AI 域名的劫持条目"));
}

struct StaleProxyLines {
    QStringList lines;               // "~/.zshrc → 12:export https_proxy=…"
    QStringList ports;               // each once
    QMap<QString, QList<int>> files; // start-up file as listed → numbers of its stale lines
};

StaleProxyLines staleProxyLines(const QStringList &proxyLines, const QStringList &listeningPorts)
{
    // The first ":NN" of a grep line is the proxy URL's port: grep's "12:" line-number
    // prefix is followed by the line's text, not by digits.
    static const QRegularExpression portPattern(QStringLiteral(":[0-9]{2,5}"));
    StaleProxyLines stale;
    for (qsizetype i = 0; i < EditableFiles::shellStartupFiles().size() && i < proxyLines.size(); ++i) {
        const QString &file = EditableFiles::shellStartupFiles().at(i);
        const QString output = proxyLines.at(i).trimmed();
        for (const QString &line : output.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            const QRegularExpressionMatch match = portPattern.match(line);
            if (!match.hasMatch())
                continue;
            const QString port = match.captured(0).mid(1);
            if (listeningPorts.contains(port))
                continue;
            stale.lines << file + QStringLiteral(" → ") + line.left(80);
            if (!stale.ports.contains(port))
                stale.ports << port;
            bool numbered = false;
            const int number = line.section(QLatin1Char(':'), 0, 0).toInt(&numbered);
            if (numbered)
                stale.files[file] << number;
        }
    }
    return stale;
}

// For each file, one command that backs it up and then comments out exactly the stale lines:
// each by its number, and only while it still holds a proxy assignment, so a file changed
// since the scan loses no other line.
QList<RepairOp> shellRepairOps(const QMap<QString, QList<int>> &files)
{
    QList<RepairOp> ops;
    for (const QString &file : EditableFiles::shellStartupFiles()) {
        if (!files.contains(file))
            continue;
        QStringList expressions;
        for (const int number : files.value(file))
            expressions << QString::number(number) + QStringLiteral("s/(") + kProxyAssignment +
                               QStringLiteral(")/# \\1/I");
        ops << RepairOps::EditFile{EditableFiles::inHome(file, QDir::homePath()), expressions};
    }
    return ops;
}

Finding shellProxyFinding(const QStringList &proxyLines, const QStringList &listeningPorts)
{
    const StaleProxyLines stale = staleProxyLines(proxyLines, listeningPorts);
    if (stale.lines.isEmpty()) {
        return makeFinding(QStringLiteral("shell-proxy-ok"), Severity::ok, CheckCategory::system,
                           Texts::tr("终端代理环境变量正常"),
                           Texts::tr("未发现指向失效端口的代理环境变量"));
    }
    // Filed under proxy, unlike the rest of this check: the cause is a dead proxy port.
    Finding finding = makeFinding(
        QStringLiteral("shell-proxy-stale"), Severity::warn, CheckCategory::system,
        Texts::tr("Shell 配置里的代理环境变量可能已失效"),
        Texts::tr("以下配置把代理写死在终端环境里，端口 %1 当前无人监听，"
                  "会导致终端里的 AI CLI 工具（claude / codex 等）连不上：\n%2")
            .arg(stale.ports.join(QStringLiteral(", ")), stale.lines.join(QLatin1Char('\n'))));
    finding.category = CheckCategory::proxy;
    finding.fixHint = Texts::tr("自动注释这些行并备份原文件（.brevik.bak）。若你需要长期使用代理，"
                                "可改为手动在需要时 export。");
    const QList<RepairOp> ops = shellRepairOps(stale.files);
    if (!ops.isEmpty()) {
        finding.fix = makeRepair(
            QStringLiteral("fix-shell-proxy"), Texts::tr("注释失效的代理变量（自动备份）"), ops,
            RepairRights::user, Texts::tr("已注释失效的代理环境变量（原文件已备份）"));
    }
    return finding;
}

} // namespace

// Its commands read files of this Mac one after another: the check takes one command's
// place in the scan's gate for its whole run.
HostsObservation DiagnosticsRun::observeHosts() const
{
    return probesFor(StepPlace::hosts).gated(ProbeKind::local, [] {
        HostsObservation seen;
        // Anyone can write into /etc/hosts: a NUL byte or a stray non-UTF-8 byte must not turn
        // it into a "binary file" for grep (-a) nor empty the output (shellText), or one such
        // byte would hide every entry.
        seen.hostsLines =
            shellText(QStringLiteral("grep -av '^#' /etc/hosts 2>/dev/null | grep -av '^$' | "
                                     "grep -aEv 'localhost|broadcasthost|^::1'"))
                .output;
        for (const QString &file : EditableFiles::shellStartupFiles()) {
            // -a: one NUL byte must not turn the file into "Binary file matches". Bytes that
            // are not printable ASCII become "?", since output that is not UTF-8 would read
            // as empty.
            seen.proxyLines << shell(QStringLiteral("LC_ALL=C grep -a -inE '") + kProxyAssignment +
                                     QStringLiteral("' ") + file +
                                     QStringLiteral(" 2>/dev/null | head -3 | LC_ALL=C tr -c "
                                                    "'\\11\\12\\40-\\176' '?'"))
                                   .output;
        }
        return seen;
    });
}

QList<Finding> decideHosts(const NetContext &ctx, const HostsObservation &seen)
{
    return {hostsFinding(seen.hostsLines), shellProxyFinding(seen.proxyLines, ctx.clashPorts)};
}

} // namespace brevik
