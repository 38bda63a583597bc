#pragma once

#include "ui/kit/palette/palette.h"
#include <QBoxLayout>

namespace brevik {

class AppModel;
class StatCard;

// Green when the last internet test got through and no finding is an error; otherwise the
// colour of the headline's severity. The header's dot and the status tile share it.
NeuRole headlineRole(const AppModel &model);
// The same in words: the word of the severity that colour stands for.
QString headlineState(const AppModel &model);

// The four statistics under the banner: the network status, the problems, the passed
// checks and the repairs one click can make. A row of the window's layout, not a widget of
// its own: a widget would clip the tiles' shadows.
//
// Parts by object name: "statusStat", "problemsStat", "passesStat", "fixableStat".
class StatsRow final : public QHBoxLayout {
public:
    StatsRow();

    void follow(const AppModel &model);

private:
    StatCard *m_status;
    StatCard *m_problems;
    StatCard *m_passes;
    StatCard *m_fixable;
};

} // namespace brevik
