// BSD date and sed, where they differ from the GNU tools of the machine underneath.
// date answers with the simulated Mac's clock; sed -i '' edits only files inside the
// simulation folder.

#include "sim/standin/sim.h"
#include "sim/standin/tools.h"

#include <QFileInfo>

#include <ctime>

namespace brevik {

namespace {

// strftime, with %s (epoch seconds) done here: glibc would read the broken-down time as
// local time even for -u.
QString formatTime(const QString &format, time_t epoch, bool utc)
{
    std::tm parts{};
    if (utc)
        gmtime_r(&epoch, &parts);
    else
        localtime_r(&epoch, &parts);
    QString text;
    for (int i = 0; i < format.size(); ++i) {
        if (format.at(i) != QLatin1Char('%') || i + 1 >= format.size()) {
            text += format.at(i);
            continue;
        }
        const QChar code = format.at(++i);
        if (code == QLatin1Char('s')) {
            text += QString::number(qint64(epoch));
            continue;
        }
        char buffer[128];
        const QByteArray piece = QByteArray("%") + code.toLatin1();
        const size_t n = std::strftime(buffer, sizeof buffer, piece.constData(), &parts);
        text += QString::fromLocal8Bit(buffer, int(n));
    }
    return text;
}

int passThrough(const Sim &sim, const QString &tool, const QStringList &args)
{
    return runProgram(realTool(sim, tool), args);
}

} // namespace

int dateMain(Sim &sim, const QStringList &args)
{
    bool utc = false;
    bool noSet = false;
    QString inputFormat;
    QString outputFormat;
    QStringList values;
    for (int i = 0; i < args.size(); ++i) {
        const QString arg = args.at(i);
        if (arg == QLatin1String("-u"))
            utc = true;
        else if (arg == QLatin1String("-j"))
            noSet = true;
        else if (arg == QLatin1String("-f"))
            inputFormat = args.value(++i);
        else if (arg == QLatin1String("-ju") || arg == QLatin1String("-uj"))
            utc = noSet = true;
        else if (arg.startsWith(QLatin1Char('+')))
            outputFormat = arg.mid(1);
        else if (arg.startsWith(QLatin1Char('-')))
            return passThrough(sim, QStringLiteral("date"), args); // -r, -v, …: the host's date
        else
            values << arg;
    }
    if (outputFormat.isEmpty())
        outputFormat = QStringLiteral("%a %b %e %H:%M:%S %Z %Y");

    if (!inputFormat.isEmpty()) {
        // date -j -f FORMAT VALUE: convert, never set the clock.
        const QString value = values.value(0);
        std::tm parts{};
        const QByteArray valueBytes = value.toUtf8();
        const char *end =
            strptime(valueBytes.constData(), inputFormat.toUtf8().constData(), &parts);
        if (!noSet || !end) {
            err(QStringLiteral("Failed conversion of ``%1'' using format ``%2''\n"
                               "date: illegal time format\n")
                    .arg(value, inputFormat));
            return 1;
        }
        parts.tm_isdst = -1;
        const time_t epoch = utc ? timegm(&parts) : mktime(&parts);
        out(formatTime(outputFormat, epoch, utc) + QLatin1Char('\n'));
        return 0;
    }
    if (!values.isEmpty())
        return passThrough(sim, QStringLiteral("date"), args); // setting the clock: not ours
    out(formatTime(outputFormat, time_t(sim.clock()), utc) + QLatin1Char('\n'));
    return 0;
}

int sedMain(Sim &sim, const QStringList &args)
{
    const int inPlace = args.indexOf(QStringLiteral("-i"));
    if (inPlace < 0)
        return passThrough(sim, QStringLiteral("sed"), args);

    // BSD: "-i EXT" with EXT a word of its own ('' for no backup). GNU wants "-iEXT".
    QStringList translated = args;
    const QString extension = translated.value(inPlace + 1);
    if (extension.isEmpty() || extension.startsWith(QLatin1Char('.'))) {
        translated.removeAt(inPlace + 1);
        translated[inPlace] = QStringLiteral("-i") + extension;
    }
    // The operands after the script are the files edited in place.
    QStringList files;
    bool scriptGiven = false;
    for (int i = 0; i < translated.size(); ++i) {
        const QString arg = translated.at(i);
        if (arg == QLatin1String("-e") || arg == QLatin1String("-f")) {
            scriptGiven = true;
            ++i;
        } else if (arg.startsWith(QLatin1Char('-')) && arg.size() > 1) {
            continue;
        } else if (!scriptGiven) {
            scriptGiven = true;
        } else {
            files << arg;
        }
    }
    const QString hosts = QFileInfo(sim.hostsFile()).canonicalFilePath();
    for (const QString &file : files) {
        if (!sim.insideFolder(file)) {
            err(QStringLiteral("sed: %1: the simulated Mac edits no file outside its folder\n")
                    .arg(file));
            return 1;
        }
        // /etc is root's: without rights sed cannot make its temporary file there.
        if (!sim.admin() && QFileInfo(file).canonicalFilePath() == hosts) {
            err(QStringLiteral(
                "sed: couldn't open temporary file /etc/hostsXXXXXX: Permission denied\n"));
            return 4;
        }
    }
#ifdef Q_OS_MACOS
    return passThrough(sim, QStringLiteral("sed"), args);
#else
    return passThrough(sim, QStringLiteral("sed"), translated);
#endif
}

} // namespace brevik
