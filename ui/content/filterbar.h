#pragma once

#include "model/category.h"
#include "ui/kit/access/speakable.h"

#include <QDateTime>
#include <QWidget>

#include <optional>

class QLabel;

namespace brevik {

class NeuSegmented;

// Which sections the list shows ("全部", "待修复", "正常项"), and when the last scan ended
// and how long it took.
//
// Parts by object name: "filter", "scanStamp".
class FilterBar final : public QWidget, public Speakable {
    Q_OBJECT

public:
    explicit FilterBar(QWidget *parent = nullptr);

    FilterMode filter() const;
    void setFilter(FilterMode filter);
    // "扫描于 HH:mm:ss　·　耗时 X.Xs", or "准备扫描…" before the first scan has ended.
    void setStamp(const std::optional<QDateTime> &lastScan, double seconds);
    QString stamp() const;
    NeuSegmented *segments() const { return m_segments; }

    AccessibleFacts accessibleFacts() const override { return {}; }

signals:
    void filterChanged(FilterMode filter);

private:
    NeuSegmented *m_segments;
    QLabel *m_stamp;
};

} // namespace brevik
