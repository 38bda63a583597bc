#include "guardian/launchagent.h"

#include "exec/shell.h"
#include "guardian/atomicwrite.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>

namespace brevik {

namespace {

struct Texts {
    Q_DECLARE_TR_FUNCTIONS(LaunchAgent)
};

QString writeFailed(const QString &why)
{
    return Texts::tr("写入守护配置失败：%1").arg(why);
}

// Paths are free text: a folder named "R&D" would otherwise make the property list invalid
// XML, and launchd would refuse to load it. Tab and line ends are written as references: an
// XML reader turns a literal carriage return into a line feed.
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
        case '\t':
        case '\n':
        case '\r':
            escaped += QStringLiteral("&#%1;").arg(c.unicode());
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

// The program the property list at `path` starts: the first string of ProgramArguments.
QString plistProgram(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QXmlStreamReader reader(&file);
    QString key;
    bool inArguments = false;
    while (!reader.atEnd() && !reader.hasError()) {
        if (reader.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (reader.name() == QLatin1String("key"))
            key = reader.readElementText();
        else if (reader.name() == QLatin1String("array"))
            inArguments = key == QLatin1String("ProgramArguments");
        else if (inArguments && reader.name() == QLatin1String("string"))
            return reader.readElementText();
    }
    return {};
}

// "launchctl list LABEL" exits 0 only while launchd holds the job; otherwise it prints
// "Could not find service" and exits 113.
bool jobListed()
{
    return shell(QStringLiteral("launchctl list ") + shellQuote(QLatin1String(LaunchAgent::label)) +
                 QStringLiteral(" >/dev/null 2>&1"))
               .succeeded();
}

} // namespace

LaunchAgent::LaunchAgent(const QString &homeDir, QString logDir, const GuardLog &log)
    : m_home(homeDir), m_logDir(std::move(logDir)), m_log(log)
{
}

QString LaunchAgent::runningExecutable()
{
    return QCoreApplication::instance() ? QCoreApplication::applicationFilePath() : QString();
}

bool LaunchAgent::canHold(const QString &text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if ((u < 0x20 && u != '\t' && u != '\n' && u != '\r') || u == 0xFFFE || u == 0xFFFF)
            return false;
    }
    return true;
}

QString LaunchAgent::path() const
{
    return m_home + QStringLiteral("/Library/LaunchAgents/") + QLatin1String(label) +
           QStringLiteral(".plist");
}

QString LaunchAgent::plist(const QString &executablePath, const QString &logDir)
{
    const QString exe = xmlEscaped(executablePath);
    const QString logs = xmlEscaped(logDir);
    const QStringList lines{
        QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"),
        QStringLiteral("<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                       "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">"),
        QStringLiteral("<plist version=\"1.0\">"),
        QStringLiteral("<dict>"),
        QStringLiteral("    <key>Label</key><string>") + QLatin1String(label) +
            QStringLiteral("</string>"),
        QStringLiteral("    <key>ProgramArguments</key>"),
        QStringLiteral("    <array>"),
        QStringLiteral("        <string>") + exe + QStringLiteral("</string>"),
        QStringLiteral("        <string>--guard</string>"),
        QStringLiteral("    </array>"),
        QStringLiteral("    <key>StartInterval</key><integer>5</integer>"),
        // launchd waits 10 s between starts by default, which would halve the promised pace.
        QStringLiteral("    <key>ThrottleInterval</key><integer>5</integer>"),
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

LaunchAgent::State LaunchAgent::state(const QString &executablePath) const
{
    if (!QFile::exists(path()))
        return State::notInstalled;
    // launchd would start a program that is gone, or an old copy left behind by a move.
    const QFileInfo program(plistProgram(path()));
    if (program.filePath().isEmpty() || !program.exists())
        return State::staleExecutable;
    if (!executablePath.isEmpty() &&
        program.canonicalFilePath() != QFileInfo(executablePath).canonicalFilePath())
        return State::staleExecutable;
    return jobListed() ? State::installed : State::notLoaded;
}

QString LaunchAgent::advice(State state)
{
    switch (state) {
    case State::staleExecutable:
        return Texts::tr("⚠️ "
                         "后台守护需要重新安装：守护配置指向的程序已不存在或已被移动。");
    case State::notLoaded:
        return Texts::tr("⚠️ 后台守护需要重新安装：launchd 没有在运行它。");
    case State::notInstalled:
    case State::installed:
        break;
    }
    return {};
}

LaunchAgent::Result LaunchAgent::install(const QString &executablePath) const
{
    if (executablePath.isEmpty())
        return {false, Texts::tr("无法定位应用可执行文件路径")};

    if (!canHold(executablePath) || !canHold(m_logDir))
        return {false, writeFailed(Texts::tr("程序或日志路径含有属性列表无法保存的控制字符"))};

    QDir().mkpath(m_home + QStringLiteral("/Library/LaunchAgents"));
    QDir().mkpath(m_logDir);
    // launchd opens the agent's output files there: with no folder (a file in its place, say)
    // every run of the agent would fail before it starts, with nobody told.
    const QFileInfo logs(m_logDir);
    if (!logs.isDir() || !logs.isWritable())
        return {false, Texts::tr("无法使用日志目录 %1：它不是一个可写入的文件夹").arg(m_logDir)};

    // Until the new file is whole, the old one and the job loaded from it stay as they are.
    QString error;
    if (!writeAtomically(path(), plist(executablePath, m_logDir).toUtf8(), &error))
        return {false, writeFailed(error)};

    const QString quoted = shellQuote(path());
    // Replaces a job loaded by an earlier installation; "not loaded" is no failure here.
    shell(QStringLiteral("launchctl unload ") + quoted + QStringLiteral(" 2>/dev/null"));
    // "-w" also clears the disabled mark that an earlier uninstall left behind. Recent macOS
    // prints "Load failed: 5: Input/output error" for a file it refuses and still exits 0, so
    // only launchd's own list says whether it took the job.
    const ShellResult load =
        shell(QStringLiteral("launchctl load -w ") + quoted + QStringLiteral(" 2>&1"));
    if (!load.succeeded() || !jobListed()) {
        return {false,
                Texts::tr("启动守护失败：%1")
                    .arg(load.output.trimmed().isEmpty() ? Texts::tr("launchd 没有接受守护任务")
                                                         : load.output)};
    }

    m_log.append(Texts::tr("[后台守护] 已安装 LaunchAgent（每 5 秒检查一次）"));
    return {true,
            Texts::tr("后台守护已安装：即使本工具关闭，也会每 5 秒自动检测并修复代理残留断网。")};
}

LaunchAgent::Result LaunchAgent::uninstall() const
{
    const bool hadFile = QFileInfo(path()).exists() || QFileInfo(path()).isSymLink();
    const bool wasListed = jobListed();
    shell(QStringLiteral("launchctl unload -w ") + shellQuote(path()) +
          QStringLiteral(" 2>/dev/null"));
    QFile::remove(path());
    // Nothing was there to remove: the log keeps only what happened.
    if (!hadFile && !wasListed)
        return {true, Texts::tr("后台守护未安装，无需卸载。")};
    if (QFileInfo(path()).exists())
        return {false, Texts::tr("无法删除守护配置 %1").arg(path())};
    m_log.append(Texts::tr("[后台守护] 已卸载"));
    return {true, Texts::tr("后台守护已卸载。")};
}

} // namespace brevik
