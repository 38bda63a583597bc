#include "model/category.h"

#include <QCoreApplication>

namespace brevik {

namespace {

struct Texts {
    Q_DECLARE_TR_FUNCTIONS(Category)
};

} // namespace

QString rawValue(CheckCategory category)
{
    switch (category) {
    case CheckCategory::connectivity:
        return Texts::tr("基础连接");
    case CheckCategory::dns:
        return Texts::tr("DNS 解析");
    case CheckCategory::proxy:
        return Texts::tr("代理 / 科学上网");
    case CheckCategory::ai:
        return Texts::tr("AI 服务连通");
    case CheckCategory::system:
        return Texts::tr("系统环境");
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
        return Texts::tr("全部");
    case FilterMode::problems:
        return Texts::tr("待修复");
    case FilterMode::normal:
        return Texts::tr("正常项");
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
