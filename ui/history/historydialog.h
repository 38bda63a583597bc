#pragma once

#include <QDialog>
#include <QList>
#include <QPointer>

class QLabel;
class QMenu;
class QMessageBox;
class QVBoxLayout;

namespace brevik {

class AppModel;
class NeuButton;
class NeuPanel;
class StatusSign;

// The repair journal: one row per entry, newest first, each with its undo button, and what
// the last undo did. It reads the model and calls its undo operations; when an undo is
// refused because settings were changed since, it names them and asks before overwriting.
//
// Parts by object name: "rows", "empty", "undoButton" (one per row that can be undone),
// "outcome", "overwriteQuestion".
class HistoryDialog final : public QDialog {
    Q_OBJECT

public:
    explicit HistoryDialog(AppModel *model, QWidget *parent = nullptr);

protected:
    void showEvent(QShowEvent *event) override;

private:
    QWidget *buildRow(int index);
    void followHistory();
    void followUndo();
    void askToOverwrite();

    AppModel *m_model;
    QVBoxLayout *m_rows = nullptr;
    QLabel *m_empty = nullptr;
    NeuPanel *m_outcome = nullptr;
    StatusSign *m_outcomeSign = nullptr;
    QLabel *m_outcomeText = nullptr;
    QList<NeuButton *> m_undoButtons;
    QPointer<QMessageBox> m_question;
};

// Adds "撤销上次修复" and "修复记录…" to `menu`. Both show the history dialog of `window`
// (one for its life), where the outcome appears; the first also takes the last repair back.
void addRepairHistoryActions(QMenu *menu, AppModel *model, QWidget *window);

} // namespace brevik
