#include "ui/content/filterbar.h"

#include "ui/kit/controls/neusegmented.h"
#include "ui/kit/palette/palette.h"
#include "ui/kit/text/labels.h"
#include "ui/kit/text/typography.h"

#include <QBoxLayout>
#include <QLabel>

namespace brevik {

FilterBar::FilterBar(QWidget *parent)
    : QWidget(parent), m_segments(new NeuSegmented),
      m_stamp(neuLabel({}, neuFont(11.5), neuTextSecondary))
{
    QList<NeuSegmented::Option> options;
    for (FilterMode mode : allFilterModes())
        options.append({QVariant::fromValue(int(mode)), rawValue(mode)});
    m_segments->setOptions(options);
    m_segments->setObjectName(QStringLiteral("filter"));
    m_segments->setSpokenName(tr("筛选"));
    m_segments->setSelection(int(FilterMode::all));
    m_stamp->setObjectName(QStringLiteral("scanStamp"));
    connect(m_segments, &NeuSegmented::selectionChanged, this,
            [this](const QVariant &value) { emit filterChanged(FilterMode(value.toInt())); });

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(m_segments);
    row->addStretch(1);
    row->addWidget(m_stamp);
    setStamp(std::nullopt, 0);
}

FilterMode FilterBar::filter() const
{
    return FilterMode(m_segments->selection().toInt());
}

void FilterBar::setFilter(FilterMode filter)
{
    m_segments->setSelection(int(filter));
}

void FilterBar::setStamp(const std::optional<QDateTime> &lastScan, double seconds)
{
    if (!lastScan) {
        m_stamp->setText(tr("准备扫描…"));
        return;
    }
    // U+3000 ideographic spaces around a middle dot, as Chinese text sets a separator.
    m_stamp->setText(tr("扫描于 %1\u3000·\u3000耗时 %2s")
                         .arg(lastScan->toLocalTime().toString(QStringLiteral("HH:mm:ss")),
                              QString::asprintf("%.1f", seconds)));
}

QString FilterBar::stamp() const
{
    return m_stamp->text();
}

} // namespace brevik
