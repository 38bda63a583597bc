#include "guardian/proxyguardian.h"

#include "exec/shell.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace {

// Paths are free text: a folder named "R&D" would otherwise make the property list invalid
// XML, and launchd would refuse to load it.
QString xmlEscaped(const QString &text)
{
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '&':
            escaped += QStringLiteral("&amp;");
            break;
        case '<':
            escaped += QStringLiteral("&lt;");
            break;
        case '>':
            escaped += QStringLiteral("&gt;");
            break;
        case '"':
            escaped += QStringLiteral("&quot;");
            break;
        case '\'':
            escaped += QStringLiteral("&apos;");
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

} // namespace

QString ProxyGuardian::agentPath() const
{
    return m_home + QStringLiteral("/Library/LaunchAgents/") + QLatin1String(agentLabel) +
           QStringLiteral(".plist");
}

QString ProxyGuardian::agentPlist(const QString &executablePath, const QString &logDir)
{
    const QString exe = xmlEscaped(executablePath);
    const QString logs = xmlEscaped(logDir);
    const QStringList lines{
        QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"),
        QStringLiteral("<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                       "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">"),
        QStringLiteral("<plist version=\"1.0\">"),
        QStringLiteral("<dict>"),
        QStringLiteral("    <key>Label</key><string>") + QLatin1String(agentLabel) +
            QStringLiteral("</string>"),
        QStringLiteral("    <key>ProgramArguments</key>"),
        QStringLiteral("    <array>"),
        QStringLiteral("        <string>") + exe + QStringLiteral("</string>"),
        QStringLiteral("        <string>--guard</string>"),
        QStringLiteral("    </array>"),
        QStringLiteral("    <key>StartInterval</key><integer>5</integer>"),
        QStringLiteral("    <key>RunAtLoad</key><true/>"),
        QStringLiteral("    <key>StandardOutPath</key><string>") + logs +
            QStringLiteral("/agent.log</string>"),
        QStringLiteral("    <key>StandardErrorPath</key><string>") + logs +
            QStringLiteral("/agent.err.log</string>"),
        QStringLiteral("</dict>"),
        QStringLiteral("</plist>"),
    };
    return lines.join(QLatin1Char('\n'));
}

bool ProxyGuardian::isAgentInstalled() const
{
    if (!QFile::exists(agentPath()))
        return false;
    // "grep -c" exits 0 only when it counted at least one line with the label.
    return shell(QStringLiteral("launchctl list 2>/dev/null | grep -c ") +
                 shellQuote(QLatin1String(agentLabel)))
               .code == 0;
}

ProxyGuardian::AgentResult ProxyGuardian::installAgent()
{
    // Without an application object Qt cannot tell the executable's path.
    const QString executable =
        QCoreApplication::instance() ? QCoreApplication::applicationFilePath() : QString();
    return installAgent(executable);
}

ProxyGuardian::AgentResult ProxyGuardian::installAgent(const QString &executablePath)
{
    if (executablePath.isEmpty())
        return {false, QStringLiteral("无法定位应用可执行文件路径")};

    QDir().mkpath(m_home + QStringLiteral("/Library/LaunchAgents"));
    QDir().mkpath(logDir());

    QSaveFile file(agentPath());
    if (!file.open(QIODevice::WriteOnly)) {
        return {false, QStringLiteral("写入守护配置失败：") + file.errorString()};
    }
    file.write(agentPlist(executablePath, logDir()).toUtf8());
    if (!file.commit())
        return {false, QStringLiteral("写入守护配置失败：") + file.errorString()};

    const QString quoted = shellQuote(agentPath());
    // Replaces a job loaded by an earlier installation; "not loaded" is no failure here.
    shell(QStringLiteral("launchctl unload ") + quoted + QStringLiteral(" 2>/dev/null"));
    // "-w" also clears the disabled mark that an earlier uninstall left behind.
    const ShellResult load =
        shell(QStringLiteral("launchctl load -w ") + quoted + QStringLiteral(" 2>&1"));
    if (load.code != 0)
        return {false, QStringLiteral("启动守护失败：") + load.output};

    appendLog(QStringLiteral("[后台守护] 已安装 LaunchAgent（每 5 秒检查一次）"));
    return {true, QStringLiteral(
                      "后台守护已安装：即使本工具关闭，也会每 5 秒自动检测并修复代理残留断网。")};
}

ProxyGuardian::AgentResult ProxyGuardian::uninstallAgent()
{
    shell(QStringLiteral("launchctl unload -w ") + shellQuote(agentPath()) +
          QStringLiteral(" 2>/dev/null"));
    QFile::remove(agentPath());
    appendLog(QStringLiteral("[后台守护] 已卸载"));
    return {true, QStringLiteral("后台守护已卸载。")};
}
