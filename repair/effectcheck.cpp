#include "repair/effectcheck.h"

#include "exec/shell.h"
#include "repair/opeffect.h"
#include "repair/settingio.h"

#include <QCoreApplication>

namespace brevik {

namespace {

struct Texts {
    Q_DECLARE_TR_FUNCTIONS(EffectCheck)
};

constexpr double kQueryTimeout = 10.0;

} // namespace

namespace EffectCheck {

QStringList unmet(const QList<RepairOp> &ops)
{
    QStringList failures;
    for (const SettingKey &key : OpEffects::changedSettings(ops)) {
        if (!SettingIO::readBackAfterRepair(key.kind))
            continue;
        // Only what the operations wrote must show; a kind switched off keeps its old server.
        const QJsonValue expected = OpEffects::applied(key, QJsonValue(), ops);
        const QString query = SettingIO::query(key);
        const ShellResult result = shell(query, kQueryTimeout);
        const std::optional<QJsonValue> shown = SettingIO::parse(key, result);
        if (shown && OpEffects::shows(*shown, expected))
            continue;
        const QStringList lines = SettingIO::lines(result.output);
        failures << Texts::tr("复查 %1：%2")
                        .arg(query, lines.isEmpty() ? Texts::tr("（无输出）")
                                                    : lines.join(QStringLiteral(" / ")));
    }
    return failures;
}

} // namespace EffectCheck

} // namespace brevik
