#include "ui/kit/paint/shadowlayer.h"

#include "ui/kit/access/speakable.h"

#include <QEvent>
#include <QPainter>

namespace brevik {

class ShadowLayer final : public QWidget, public Speakable {
public:
    ShadowLayer(QWidget *caster, const ShadowCaster *shadow) : m_caster(caster), m_shadow(shadow)
    {
        setObjectName(QStringLiteral("shadowLayer"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
        // Nothing about the caster is read here: it is still being built. Its first
        // move, resize or show brings the layer into place.
        caster->installEventFilter(this);
    }

    // Only a shadow: a screen reader passes it by.
    AccessibleFacts accessibleFacts() const override { return decoration(); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_caster) {
            switch (event->type()) {
            case QEvent::Move:
            case QEvent::Resize:
            case QEvent::Hide:
            // Shown or hidden while its window is not on screen: no Show or Hide comes,
            // and a layer made visible with the window would cast a hidden widget's shadow.
            case QEvent::ShowToParent:
            case QEvent::HideToParent:
                follow(false);
                break;
            case QEvent::ParentChange:
            case QEvent::Show:
            case QEvent::ZOrderChange:
                follow(true);
                break;
            default:
                break;
            }
        }
        return false;
    }

    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        const QMargins margins = m_shadow->shadowMargins();
        painter.translate(margins.left(), margins.top());
        m_shadow->paintShadow(painter);
    }

public:
    void follow(bool restack)
    {
        QWidget *parent = m_caster->parentWidget();
        if (parentWidget() != parent) {
            // Without a parent the layer would become a window of its own.
            if (!parent) {
                hide();
                return;
            }
            setParent(parent);
        }
        if (!parent)
            return;
        setGeometry(m_caster->geometry().marginsAdded(m_shadow->shadowMargins()));
        setVisible(m_caster->isVisibleTo(parent));
        if (restack)
            stackUnder(m_caster);
    }

private:
    QWidget *m_caster;
    const ShadowCaster *m_shadow;
};

CastShadow::CastShadow(QWidget *caster, const ShadowCaster *shadow)
    : m_layer(new ShadowLayer(caster, shadow))
{
}

CastShadow::~CastShadow()
{
    delete m_layer.data();
}

void CastShadow::update()
{
    if (m_layer)
        m_layer->update();
}

void CastShadow::place()
{
    if (m_layer)
        m_layer->follow(true);
}

QWidget *CastShadow::layer() const
{
    return m_layer.data();
}

} // namespace brevik
