#include "model/category.h"

namespace brevik {

QString rawValue(CheckCategory category)
{
    switch (category) {
    case CheckCategory::connectivity:
        return QStringLiteral("基础连接");
    case CheckCategory::dns:
        return QStringLiteral("DNS 解析");
    case CheckCategory::proxy:
        return QStringLiteral("代理 / 科学上网");
    case CheckCategory::ai:
        return QStringLiteral("AI 服务连通");
    case CheckCategory::system:
        return QStringLiteral("系统环境");
    }
    return {};
}

QList<CheckCategory> allCategories()
{
    return {CheckCategory::connectivity, CheckCategory::dns, CheckCategory::proxy,
            CheckCategory::ai, CheckCategory::system};
}

std::optional<CheckCategory> categoryFromRaw(const QString &raw)
{
    for (CheckCategory category : allCategories()) {
        if (rawValue(category) == raw)
            return category;
    }
    return std::nullopt;
}

QString rawValue(FilterMode mode)
{
    switch (mode) {
    case FilterMode::all:
        return QStringLiteral("全部");
    case FilterMode::problems:
        return QStringLiteral("待修复");
    case FilterMode::normal:
        return QStringLiteral("正常项");
    }
    return {};
}

QList<FilterMode> allFilterModes()
{
    return {FilterMode::all, FilterMode::problems, FilterMode::normal};
}

std::optional<FilterMode> filterModeFromRaw(const QString &raw)
{
    for (FilterMode mode : allFilterModes()) {
        if (rawValue(mode) == raw)
            return mode;
    }
    return std::nullopt;
}

} // namespace brevik
