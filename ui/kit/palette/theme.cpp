#include "ui/kit/palette/theme.h"

#include <QApplication>
#include <QEvent>
#include <QList>
#include <QStyleHints>
#include <QVariant>
#include <QWidget>
#include <QWindow>

namespace brevik {

namespace {

constexpr char kBindings[] = "neuPaletteBindings";

void applyBindings(QWidget *widget, const QList<PaletteBinding> &bindings)
{
    QPalette palette = widget->palette();
    for (const PaletteBinding &binding : bindings) {
        QColor color = binding.ink ? neuInk(binding.role) : neuColor(binding.role);
        if (binding.opacity < 1)
            color.setAlphaF(float(binding.opacity));
        palette.setColor(binding.target, color);
    }
    widget->setPalette(palette);
}

// The system's own palette, which ours covers once it is set: for a moment the application
// falls back to the platform's, then takes ours again.
QPalette systemPalette()
{
    const bool ours = QCoreApplication::testAttribute(Qt::AA_SetPalette);
    if (!ours)
        return QGuiApplication::palette();
    const QPalette mine = QGuiApplication::palette();
    // An empty palette resolves every role against the platform's.
    QGuiApplication::setPalette(QPalette());
    const QPalette platform = QGuiApplication::palette();
    QGuiApplication::setPalette(mine);
    return platform;
}

bool systemPrefersDark()
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
    switch (QGuiApplication::styleHints()->colorScheme()) {
    case Qt::ColorScheme::Dark:
        return true;
    case Qt::ColorScheme::Light:
        return false;
    case Qt::ColorScheme::Unknown:
        break;
    }
#endif
    return paletteLooksDark(systemPalette());
}

} // namespace

Theme &Theme::instance()
{
    static Theme theme;
    return theme;
}

Theme::Theme()
{
    m_forced = appearanceNamed(qEnvironmentVariable("BREVIK_APPEARANCE"));
#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
    connect(QGuiApplication::styleHints(), &QStyleHints::colorSchemeChanged, this,
            &Theme::followSystem);
#endif
    // The palette roles start light; the application's palette follows from the start.
    const Appearance first =
        m_forced.value_or(systemPrefersDark() ? Appearance::dark : Appearance::light);
    setCurrentAppearance(first);
    if (qobject_cast<QApplication *>(QCoreApplication::instance()))
        QApplication::setPalette(applicationPalette(first));
}

void Theme::force(std::optional<Appearance> appearance)
{
    m_forced = appearance;
    if (appearance)
        apply(*appearance);
    else
        followSystem();
}

void Theme::watch(QWindow *window)
{
    if (!window || window == m_watched)
        return;
    if (m_watched)
        m_watched->removeEventFilter(this);
    m_watched = window;
    window->installEventFilter(this);
}

bool Theme::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_watched && event->type() == QEvent::ThemeChange)
        followSystem();
    return QObject::eventFilter(watched, event);
}

void Theme::followSystem()
{
    if (m_forced)
        return;
    apply(systemPrefersDark() ? Appearance::dark : Appearance::light);
}

void Theme::apply(Appearance appearance)
{
    if (appearance == currentAppearance())
        return;
    setCurrentAppearance(appearance);
    if (qobject_cast<QApplication *>(QCoreApplication::instance()))
        QApplication::setPalette(applicationPalette(appearance));
    // Painters read the roles as they paint; widgets that keep colours in their own palette
    // take them again.
    const QWidgetList widgets = QApplication::allWidgets();
    for (QWidget *widget : widgets) {
        const QVariant bindings = widget->property(kBindings);
        if (bindings.isValid())
            applyBindings(widget, bindings.value<QList<PaletteBinding>>());
        widget->update();
    }
    emit appearanceChanged(appearance);
}

std::optional<Appearance> appearanceNamed(const QString &name)
{
    const QString word = name.trimmed().toLower();
    if (word == QLatin1String("light"))
        return Appearance::light;
    if (word == QLatin1String("dark"))
        return Appearance::dark;
    return std::nullopt;
}

bool paletteLooksDark(const QPalette &palette)
{
    return palette.color(QPalette::Window).lightness() <
           palette.color(QPalette::WindowText).lightness();
}

QPalette applicationPalette(Appearance appearance)
{
    const NeuPalette &roles = paletteOf(appearance);
    QPalette palette;
    for (QPalette::ColorRole role : {QPalette::Window, QPalette::Button})
        palette.setColor(role, roles[neuBg]);
    for (QPalette::ColorRole role :
         {QPalette::WindowText, QPalette::ButtonText, QPalette::Text, QPalette::ToolTipText})
        palette.setColor(role, roles[neuText]);
    // Fields a shade off the background: lighter in the light, deeper in the dark.
    palette.setColor(QPalette::Base,
                     appearance == Appearance::dark ? neuColor(0x22262D) : neuColor(0xF4F6F9));
    palette.setColor(QPalette::AlternateBase, roles[neuBg]);
    palette.setColor(QPalette::ToolTipBase, roles[neuBg]);
    palette.setColor(QPalette::PlaceholderText, inkOf(appearance, neuTextSecondary));
    palette.setColor(QPalette::Highlight, roles[neuAccent]);
    palette.setColor(QPalette::HighlightedText, neuColor(0xFFFFFF));
    palette.setColor(QPalette::Link, inkOf(appearance, neuAccentDeep));
    // The style's bevels (menus, frames) from the relief's own shadows.
    palette.setColor(QPalette::Light, roles[neuLight]);
    palette.setColor(QPalette::Dark, roles[neuDark]);
    palette.setColor(QPalette::Shadow, roles[neuDark]);
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
        palette.setColor(QPalette::Disabled, role, inkOf(appearance, neuTextSecondary));
    return palette;
}

void bindPalette(QWidget *widget, std::initializer_list<PaletteBinding> bindings)
{
    const QList<PaletteBinding> list(bindings);
    widget->setProperty(kBindings, QVariant::fromValue(list));
    applyBindings(widget, list);
}

void fillWithBackground(QWidget *widget)
{
    widget->setAutoFillBackground(true);
    bindPalette(widget, {{.target = QPalette::Window, .role = neuBg}});
}

} // namespace brevik
