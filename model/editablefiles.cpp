#include "model/editablefiles.h"

#include "model/repairop.h"

#include <QRegularExpression>

namespace brevik {

namespace EditableFiles {

const QStringList &shellStartupFiles()
{
    static const QStringList files{
        QStringLiteral("~/.zshrc"),
        QStringLiteral("~/.zprofile"),
        QStringLiteral("~/.bash_profile"),
        QStringLiteral("~/.bashrc"),
        QStringLiteral("~/.config/fish/config.fish"),
    };
    return files;
}

QString inHome(const QString &file, const QString &home)
{
    return file.startsWith(QLatin1Char('~')) ? home + file.mid(1) : file;
}

bool isEditable(const QString &path, const QString &home)
{
    if (path == kHostsFile)
        return true;
    for (const QString &file : shellStartupFiles()) {
        if (!home.isEmpty() && path == inHome(file, home))
            return true;
    }
    return false;
}

bool isBackupOf(const QString &backup, const QString &path)
{
    static const QRegularExpression number(QStringLiteral("^\\.[1-9][0-9]{0,8}$"));
    const QString base = path + kBackupSuffix;
    if (backup == base)
        return true;
    return backup.startsWith(base) && number.match(backup.mid(base.size())).hasMatch();
}

} // namespace EditableFiles

} // namespace brevik
