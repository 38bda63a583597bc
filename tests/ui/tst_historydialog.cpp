#include "appmodel/appmodel.h"
#include "tests/support/scriptedrunner.h"
#include "ui/history/historydialog.h"
#include "ui/kit/controls/neubutton.h"
#include "ui/kit/controls/neuchip.h"

#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

using namespace brevik;

namespace {

const QString kQuery = QStringLiteral("networksetup -getwebproxy 'Wi-Fi'");
const QString kOverwrite = QStringLiteral("networksetup -setwebproxy 'Wi-Fi' 127.0.0.1 7890");

QJsonObject webProxy(bool on, const QString &server, const QString &port)
{
    return {{"enabled", on}, {"server", server}, {"port", port}};
}

// A repair that switched Wi-Fi's web proxy off.
JournalEntry proxyRepair(const QString &title)
{
    JournalEntry entry;
    entry.time = QDateTime::currentDateTime();
    entry.title = title;
    entry.repairId = QStringLiteral("fix-proxy-off-all");
    entry.operations = {RepairOps::ProxyState{QStringLiteral("Wi-Fi"), ProxyKind::web, false}};
    entry.settings << RecordedSetting{{SettingKind::webProxy, QStringLiteral("Wi-Fi")},
                                      QJsonValue(webProxy(true, "127.0.0.1", "7890")),
                                      webProxy(false, "127.0.0.1", "7890")};
    entry.end = EntryEnd::succeeded;
    return entry;
}

} // namespace

class TestHistoryDialog : public QObject {
    Q_OBJECT

private slots:
    void undoAsksBeforeOverwriting();
};

void TestHistoryDialog::undoAsksBeforeOverwriting()
{
    QTemporaryDir home;
    const QByteArray oldHome = qgetenv("HOME");
    qputenv("HOME", home.path().toUtf8());
    const auto restoreHome = qScopeGuard([&oldHome] { qputenv("HOME", oldHome); });
    const Journal journal = Journal::forCurrentUser();
    for (const QString &title : {QStringLiteral("关闭系统代理"), QStringLiteral("再次关闭系统代理"),
                                 QStringLiteral("取消了授权")}) {
        JournalEntry entry = proxyRepair(title);
        // A prompt cancelled before anything ran changed nothing: no undo is offered for it.
        if (title == QStringLiteral("取消了授权")) {
            entry.end = EntryEnd::cancelled;
            entry.changedNothing = true;
        }
        QVERIFY(journal.start(entry).isEmpty() && journal.finish(entry).isEmpty());
    }

    // Someone pointed the proxy elsewhere since; once overwritten, it reads back as recorded.
    auto runner = std::make_shared<ScriptedRunner>();
    const QString theirs = QStringLiteral("Enabled: Yes\nServer: 10.0.0.2\nPort: 8080\n");
    runner->on(kQuery, 0, theirs)
        .on(kQuery, 0, theirs)
        .on(kQuery, 0, QStringLiteral("Enabled: Yes\nServer: 127.0.0.1\nPort: 7890\n"))
        .on(kOverwrite, 0);
    ScopedRunner scope(runner);
    AppModel model;
    // The window's menu opens the dialog, one for the window's life.
    QWidget window;
    QMenu menu;
    addRepairHistoryActions(&menu, &model, &window);
    for (int i = 0; i < 2; ++i)
        menu.actions().constLast()->trigger();
    QCOMPARE(window.findChildren<HistoryDialog *>().size(), 1);
    HistoryDialog &dialog = *window.findChild<HistoryDialog *>();
    QVERIFY(dialog.isVisible());
    QTRY_COMPARE(model.history().size(), 3);
    QList<NeuButton *> undo = dialog.findChildren<NeuButton *>(QStringLiteral("undoButton"));
    QCOMPARE(undo.size(), 2);

    QTest::mouseClick(undo.last(), Qt::LeftButton); // the older one, #1, listed last
    QVERIFY(!undo.first()->isEnabled());
    QTRY_VERIFY(dialog.findChild<QMessageBox *>(QStringLiteral("overwriteQuestion")));
    auto *question = dialog.findChild<QMessageBox *>(QStringLiteral("overwriteQuestion"));
    QVERIFY2(question->text().contains(QStringLiteral("「Wi-Fi」的网页代理（HTTP）")),
             qPrintable(question->text()));
    QCOMPARE(runner->count(kOverwrite), 0);
    const QList<QAbstractButton *> answers = question->buttons();
    const auto overwrite = std::find_if(answers.begin(), answers.end(), [](auto *button) {
        return button->text() == QStringLiteral("改回修复前的值");
    });
    QVERIFY(overwrite != answers.end());
    QTest::mouseClick(*overwrite, Qt::LeftButton);
    QTRY_COMPARE(model.history().size(), 4);
    QVERIFY2(model.undoText().startsWith(QStringLiteral("✅ 已撤销 #1")),
             qPrintable(model.undoText()));
    // #1 is taken back: its row offers no undo any more; the undo itself can be taken back.
    QCOMPARE(dialog.findChildren<NeuButton *>(QStringLiteral("undoButton")).size(), 2);
    QVERIFY(AppModel::waitForBackgroundWork(std::chrono::seconds(60)));
}

QTEST_MAIN(TestHistoryDialog)
#include "tst_historydialog.moc"
