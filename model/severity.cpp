#include "model/severity.h"

#include <QCoreApplication>

namespace brevik {

namespace {

struct Texts {
    Q_DECLARE_TR_FUNCTIONS(Severity)
};

} // namespace

std::optional<Severity> severityFromRaw(int raw)
{
    if (raw < rawValue(Severity::ok) || raw > rawValue(Severity::error))
        return std::nullopt;
    return static_cast<Severity>(raw);
}

QString severityName(Severity severity)
{
    switch (severity) {
    case Severity::ok:
        return QStringLiteral("ok");
    case Severity::info:
        return QStringLiteral("info");
    case Severity::warn:
        return QStringLiteral("warn");
    case Severity::error:
        return QStringLiteral("error");
    }
    return {};
}

QString label(Severity severity)
{
    switch (severity) {
    case Severity::ok:
        return Texts::tr("正常");
    case Severity::info:
        return Texts::tr("提示");
    case Severity::warn:
        return Texts::tr("警告");
    case Severity::error:
        return Texts::tr("故障");
    }
    return {};
}

QString icon(Severity severity)
{
    switch (severity) {
    case Severity::ok:
        return QStringLiteral("checkmark.circle.fill");
    case Severity::info:
        return QStringLiteral("info.circle.fill");
    case Severity::warn:
        return QStringLiteral("exclamationmark.triangle.fill");
    case Severity::error:
        return QStringLiteral("xmark.octagon.fill");
    }
    return {};
}

QString colorName(Severity severity)
{
    switch (severity) {
    case Severity::ok:
        return QStringLiteral("neuSuccess");
    case Severity::info:
        return QStringLiteral("neuInfo");
    case Severity::warn:
        return QStringLiteral("neuWarning");
    case Severity::error:
        return QStringLiteral("neuDanger");
    }
    return {};
}

} // namespace brevik
