#include "ui/content/statsrow.h"

#include "appmodel/appmodel.h"
#include "ui/cards/statcard.h"
#include "ui/kit/palette/palette.h"

#include <QCoreApplication>

namespace brevik {

namespace {

struct Texts {
    Q_DECLARE_TR_FUNCTIONS(StatsRow)
};

bool calm(const AppModel &model)
{
    return model.netUsable() && model.blockingIssues().isEmpty();
}

StatCard *namedCard(const char *name, const QString &title, NeuRole color, Symbol icon)
{
    auto *card = new StatCard(title, QStringLiteral("0"), color, icon);
    card->setObjectName(QLatin1String(name));
    return card;
}

} // namespace

NeuRole headlineRole(const AppModel &model)
{
    return calm(model) ? neuSuccess : severityRole(model.effectiveStatus());
}

QString headlineState(const AppModel &model)
{
    return severityWord(headlineRole(model));
}

StatsRow::StatsRow()
    : m_status(namedCard("statusStat", Texts::tr("网络状态"), neuTextSecondary,
                         Symbol::infoCircleFill)),
      m_problems(namedCard("problemsStat", Texts::tr("待处理问题"), neuSuccess,
                           Symbol::exclamationmarkBubbleFill)),
      m_passes(namedCard("passesStat", Texts::tr("检查通过"), neuSuccess,
                         Symbol::checkmarkSealFill)),
      m_fixable(
          namedCard("fixableStat", Texts::tr("可一键修复"), neuAccentDeep, Symbol::boltFill))
{
    setSpacing(16);
    for (StatCard *card : {m_status, m_problems, m_passes, m_fixable})
        addWidget(card, 1);
}

void StatsRow::follow(const AppModel &model)
{
    m_status->setValue(model.statusLabel());
    m_status->setAccent(headlineRole(model), calm(model) ? Symbol::checkmarkSealFill
                                                         : severitySymbol(model.effectiveStatus()));

    const QList<Finding> problems = model.unresolvedProblems();
    m_problems->setValue(QString::number(problems.size()));
    m_problems->setAccent(!model.blockingIssues().isEmpty() ? neuDanger
                          : problems.isEmpty()              ? neuSuccess
                                                            : neuWarning,
                          Symbol::exclamationmarkBubbleFill);
    m_passes->setValue(QString::number(model.passes().size()));
    m_fixable->setValue(QString::number(model.fixableCount()));
}

} // namespace brevik
