#include "guardian/guardbackoff.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace brevik {

namespace GuardBackoff {

namespace {

struct Texts {
    Q_DECLARE_TR_FUNCTIONS(GuardBackoff)
};

bool within(const QDateTime &since, const QDateTime &now)
{
    // A clock turned back proves nothing: that counts as outside.
    const qint64 age = since.secsTo(now);
    return age >= 0 && age < kWindowSecs;
}

const QList<std::pair<Rest, QString>> kRestNames{
    {Rest::none, QStringLiteral("")},
    {Rest::repeated, QStringLiteral("repeated")},
    {Rest::failing, QStringLiteral("failing")},
};

} // namespace

Permit permit(const State &state, const QString &target, const QDateTime &now)
{
    // Another proxy is another story; a rest lasts the window and no longer.
    if (state.target != target)
        return {State{target, {}, 0, Rest::none, {}}, true};
    if (state.rest != Rest::none && !within(state.restSince, now))
        return {State{target, {}, 0, Rest::none, {}}, true};
    return {state, state.rest == Rest::none};
}

After afterRepair(const State &state, const QString &target, bool verified, const QDateTime &now)
{
    State next = state.target == target ? state : State{target, {}, 0, Rest::none, {}};
    next.repairs.removeIf([&now](const QDateTime &at) { return !within(at, now); });
    if (verified) {
        next.repairs << now;
        next.failuresInARow = 0;
    } else {
        ++next.failuresInARow;
    }
    const Rest rest = next.repairs.size() >= kRepairsAllowed    ? Rest::repeated
                      : next.failuresInARow >= kFailuresAllowed ? Rest::failing
                                                                : Rest::none;
    if (rest == Rest::none || next.rest != Rest::none)
        return {next, false};
    next.rest = rest;
    next.restSince = now;
    return {next, true};
}

QString restText(const State &state)
{
    const QString why =
        state.rest == Rest::repeated
            ? Texts::tr("10 分钟内已自动关闭 %n 次，它仍被写回——多半是代理软件在反复设置它。"
                        "请退出或修好这个代理软件",
                        nullptr, kRepairsAllowed)
            : Texts::tr("连续 %n 次自动关闭都没有生效。请在窗口中点「立即修复」手动处理", nullptr,
                        kFailuresAllowed);
    return Texts::tr("⏸ 守护已暂停处理残留代理 %1：%2；代理地址变化、10 "
                     "分钟后或点「恢复守护」后会继续。")
        .arg(state.target, why);
}

QString restStatus(const State &state)
{
    return Texts::tr("⏸ 守护已暂停处理残留代理 %1").arg(state.target);
}

QByteArray toBytes(const State &state)
{
    QJsonArray repairs;
    for (const QDateTime &at : state.repairs)
        repairs << at.toUTC().toString(Qt::ISODateWithMs);
    QString rest;
    for (const auto &[value, name] : kRestNames) {
        if (value == state.rest)
            rest = name;
    }
    return QJsonDocument(QJsonObject{{"target", state.target},
                                     {"repairs", repairs},
                                     {"failuresInARow", state.failuresInARow},
                                     {"rest", rest},
                                     {"restSince", state.restSince.toUTC().toString(
                                                       Qt::ISODateWithMs)}})
        .toJson(QJsonDocument::Compact);
}

std::optional<State> fromBytes(const QByteArray &bytes)
{
    const QJsonObject object = QJsonDocument::fromJson(bytes).object();
    State state;
    state.target = object.value(QStringLiteral("target")).toString();
    state.failuresInARow = object.value(QStringLiteral("failuresInARow")).toInt(-1);
    const QJsonArray repairs = object.value(QStringLiteral("repairs")).toArray();
    if (state.target.isEmpty() || state.target.size() > 300 || state.failuresInARow < 0 ||
        state.failuresInARow > kFailuresAllowed || repairs.size() > kRepairsAllowed)
        return std::nullopt;
    for (const QJsonValue &value : repairs) {
        const QDateTime at = QDateTime::fromString(value.toString(), Qt::ISODateWithMs);
        if (!at.isValid())
            return std::nullopt;
        state.repairs << at;
    }
    bool known = false;
    for (const auto &[value, name] : kRestNames) {
        if (name == object.value(QStringLiteral("rest")).toString()) {
            state.rest = value;
            known = true;
        }
    }
    state.restSince = QDateTime::fromString(object.value(QStringLiteral("restSince")).toString(),
                                            Qt::ISODateWithMs);
    if (!known || (state.rest != Rest::none && !state.restSince.isValid()))
        return std::nullopt;
    return state;
}

} // namespace GuardBackoff

} // namespace brevik
