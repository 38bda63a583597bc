#include "ui/history/historydialog.h"

#include "appmodel/appmodel.h"
#include "ui/kit/access/speakable.h"
#include "ui/kit/controls/neubutton.h"
#include "ui/kit/controls/neuchip.h"
#include "ui/kit/paint/neupanel.h"
#include "ui/kit/palette/theme.h"
#include "ui/kit/text/labels.h"
#include "ui/kit/text/statussign.h"
#include "ui/kit/text/typography.h"

#include <QBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>

namespace brevik {

HistoryDialog::HistoryDialog(AppModel *model, QWidget *parent) : QDialog(parent), m_model(model)
{
    setWindowTitle(tr("修复记录"));
    fillWithBackground(this);
    resize(720, 520);

    auto *list = new QWidget;
    list->setObjectName(QStringLiteral("rows"));
    fillWithBackground(list);
    m_rows = new QVBoxLayout(list);
    // Room for the rows' shadows, which a scroll area would otherwise cut off.
    m_rows->setContentsMargins(8, 8, 8, 14);
    m_rows->setSpacing(12);
    m_empty = neuLabel(tr("还没有修复记录。"), neuFont(12), neuTextSecondary);
    m_empty->setObjectName(QStringLiteral("empty"));
    m_rows->addWidget(m_empty);
    m_rows->addStretch(1);
    auto *scroll = new QScrollArea;
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidget(list);
    fillWithBackground(scroll->viewport());

    m_outcome = new NeuPanel(neuInset());
    m_outcome->setObjectName(QStringLiteral("outcome"));
    auto *outcome = new QHBoxLayout(m_outcome);
    outcome->setContentsMargins(12, 10, 12, 10);
    outcome->setSpacing(5);
    m_outcomeSign = new StatusSign(neuFont(11.5));
    m_outcomeText = neuLabel({}, neuFont(11.5), neuText, LabelFlow::wrappingSelectable);
    outcome->addWidget(m_outcomeSign, 0, Qt::AlignTop);
    outcome->addWidget(m_outcomeText, 1);

    auto *close = new NeuButton(tr("关闭"));
    close->setCompact(true);
    connect(close, &QAbstractButton::clicked, this, &QDialog::close);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(close);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(22, 20, 22, 20);
    column->setSpacing(10);
    column->addWidget(neuLabel(tr("修复记录"), neuFont(16, QFont::Bold), neuText));
    const QString explanation =
        tr("Brevik 对这台 Mac 做过的每一项修改都记在这里。撤销会把设置改回修复前的值；"
           "续订 DHCP、刷新 DNS 缓存这类一次性操作无法撤销，撤销时会一一列出。");
    column->addWidget(neuLabel(explanation, neuFont(12), neuTextSecondary, LabelFlow::wrapping));
    column->addWidget(scroll, 1);
    column->addWidget(m_outcome);
    column->addLayout(buttons);

    connect(model, &AppModel::historyChanged, this, &HistoryDialog::followHistory);
    connect(model, &AppModel::undoBusyChanged, this, &HistoryDialog::followUndo);
    connect(model, &AppModel::undoTextChanged, this, &HistoryDialog::followUndo);
    connect(model, &AppModel::undoConflictChanged, this, &HistoryDialog::askToOverwrite);
    followHistory();
    followUndo();
}

void HistoryDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // The launch agent may have repaired since the list was read.
    m_model->refreshHistory();
}

QWidget *HistoryDialog::buildRow(int index)
{
    const HistoryItem item = m_model->history().at(index);
    auto *row = new NeuPanel(neuRaised(14, 4));
    auto *line = new QHBoxLayout(row);
    line->setContentsMargins(14, 10, 12, 10);
    line->setSpacing(10);
    auto *sign = new StatusSign(neuFont(12.5));
    sign->setSign(item.sign);
    line->addWidget(sign);
    line->addWidget(neuLabel(QStringLiteral("#") + QString::number(item.id),
                             neuFont(12.5, QFont::Bold), neuText));
    auto *title = neuLabel(item.title + item.note, neuFont(12.5), neuText, LabelFlow::wrapping);
    title->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    line->addWidget(title, 1);
    line->addWidget(new NeuChip(item.origin));
    line->addWidget(
        neuLabel(item.time.toString(QStringLiteral("MM-dd HH:mm")), neuFont(11), neuTextSecondary));
    if (item.undone) {
        line->addWidget(new NeuChip(tr("已撤销"), neuSuccess));
        return row;
    }
    // An undo, a record that cannot be trusted, a cancelled prompt that changed nothing, a
    // repair still running: there is nothing to take back, so no button offers it.
    if (!item.undoable)
        return row;
    auto *undo = new NeuButton(tr("撤销"));
    undo->setObjectName(QStringLiteral("undoButton"));
    undo->setCompact(true);
    undo->setHelp(tr("把这次修复改动的设置改回修复前的值"));
    connect(undo, &QAbstractButton::clicked, this, [this, id = item.id] { m_model->undo(id); });
    m_undoButtons << undo;
    line->addWidget(undo);
    return row;
}

void HistoryDialog::followHistory()
{
    // Everything but the empty note and the closing stretch is a row of the last reading.
    while (m_rows->count() > 2) {
        QLayoutItem *item = m_rows->takeAt(1);
        delete item->widget();
        delete item;
    }
    m_undoButtons.clear();
    const qsizetype count = m_model->history().size();
    for (qsizetype i = 0; i < count; ++i)
        m_rows->insertWidget(int(i) + 1, buildRow(int(i)));
    m_empty->setVisible(count == 0);
    followUndo();
}

void HistoryDialog::followUndo()
{
    for (NeuButton *button : m_undoButtons)
        button->setEnabled(!m_model->undoBusy());
    const auto [sign, rest] = splitStatusSign(m_model->undoText());
    m_outcomeSign->setSign(sign);
    if (rest != m_outcomeText->text())
        announceText(this, m_model->undoText());
    m_outcomeText->setText(rest);
    m_outcome->setVisible(!m_model->undoText().isEmpty());
}

void HistoryDialog::askToOverwrite()
{
    const qint64 id = m_model->undoConflictId();
    if (id == 0 || m_question)
        return;
    m_question =
        new QMessageBox(QMessageBox::Warning, tr("设置已被改动"),
                        tr("以下设置在 #%1 这次修复之后又被改动过：\n· %2\n\n"
                           "仍要把它们改回修复前的值吗？")
                            .arg(QString::number(id),
                                 m_model->undoConflicts().join(QStringLiteral("\n· "))),
                        QMessageBox::NoButton, this);
    m_question->setObjectName(QStringLiteral("overwriteQuestion"));
    m_question->setAttribute(Qt::WA_DeleteOnClose);
    QPushButton *overwrite =
        m_question->addButton(tr("改回修复前的值"), QMessageBox::AcceptRole);
    m_question->addButton(tr("保留现在的设置"), QMessageBox::RejectRole);
    connect(m_question, &QMessageBox::buttonClicked, this,
            [this, id, overwrite](QAbstractButton *button) {
                if (button == overwrite)
                    m_model->undo(id, true);
            });
    m_question->open();
}

void addRepairHistoryActions(QMenu *menu, AppModel *model, QWidget *window)
{
    const auto dialog = [model, window] {
        auto *shown = window->findChild<HistoryDialog *>();
        if (!shown)
            shown = new HistoryDialog(model, window);
        shown->show();
        shown->raise();
        shown->activateWindow();
    };
    QAction *undoLast = menu->addAction(HistoryDialog::tr("撤销上次修复"));
    undoLast->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    QObject::connect(undoLast, &QAction::triggered, window, [dialog, model] {
        dialog();
        model->undoLast();
    });
    QObject::connect(model, &AppModel::undoBusyChanged, undoLast,
                     [undoLast, model] { undoLast->setEnabled(!model->undoBusy()); });
    QAction *history = menu->addAction(HistoryDialog::tr("修复记录…"));
    history->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Y));
    QObject::connect(history, &QAction::triggered, window, dialog);
}

} // namespace brevik
