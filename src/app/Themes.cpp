#include "Themes.h"
#include "Messages.h"

#include <QApplication>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>

namespace Themes {

namespace {

struct Look
{
    QString name;
    QColor window, base, alternateBase, text, button, highlight, highlightedText, dark;
};

const QList<Look> &looks()
{
    static const QList<Look> l = {
        {DefaultName, QColor(0xEC, 0xE8, 0xF4), Qt::white, QColor(0xF5, 0xF2, 0xFA), QColor(0x2B, 0x23, 0x40),
         QColor(0xDD, 0xD5, 0xEE), QColor(0x6E, 0x5B, 0xB5), Qt::white, QColor(0x5B, 0x4A, 0x9B)},
        {QStringLiteral("Silver Breeze"), QColor(0xED, 0xF0, 0xF3), Qt::white, QColor(0xF5, 0xF7, 0xF9),
         QColor(0x1F, 0x29, 0x33), QColor(0xDC, 0xE2, 0xE9), QColor(0x35, 0x74, 0xC4), Qt::white,
         QColor(0x4A, 0x5A, 0x6E)},
        {QStringLiteral("Sea Glass"), QColor(0xE6, 0xF2, 0xEF), Qt::white, QColor(0xF0, 0xF8, 0xF6),
         QColor(0x1B, 0x33, 0x2E), QColor(0xCC, 0xE5, 0xDF), QColor(0x2A, 0x8C, 0x78), Qt::white,
         QColor(0x24, 0x6B, 0x5D)},
        {QStringLiteral("Midnight Slate"), QColor(0x2B, 0x2F, 0x36), QColor(0x1F, 0x22, 0x27), QColor(0x27, 0x2B, 0x31),
         QColor(0xE4, 0xE6, 0xEA), QColor(0x3A, 0x40, 0x49), QColor(0x5E, 0x81, 0xAC), Qt::white,
         QColor(0x14, 0x16, 0x1A)},
    };
    return l;
}

QPalette paletteOf(const Look &k)
{
    QPalette p;
    p.setColor(QPalette::Window, k.window);
    p.setColor(QPalette::WindowText, k.text);
    p.setColor(QPalette::Base, k.base);
    p.setColor(QPalette::AlternateBase, k.alternateBase);
    p.setColor(QPalette::ToolTipBase, k.base);
    p.setColor(QPalette::ToolTipText, k.text);
    p.setColor(QPalette::PlaceholderText, k.text.lighter(k.base.lightness() > 128 ? 250 : 60));
    p.setColor(QPalette::Text, k.text);
    p.setColor(QPalette::Button, k.button);
    p.setColor(QPalette::ButtonText, k.text);
    p.setColor(QPalette::BrightText, Qt::red);
    p.setColor(QPalette::Highlight, k.highlight);
    p.setColor(QPalette::HighlightedText, k.highlightedText);
    p.setColor(QPalette::Link, k.highlight);
    p.setColor(QPalette::Dark, k.dark);
    p.setColor(QPalette::Light, k.button.lighter(125));
    p.setColor(QPalette::Midlight, k.button.lighter(110));
    p.setColor(QPalette::Mid, k.button.darker(130));
    p.setColor(QPalette::Shadow, k.dark.darker(150));
    // Disabled controls: the text fades towards the background.
    const QColor faded = k.base.lightness() > 128 ? QColor(0x9A, 0x96, 0xA4) : QColor(0x6C, 0x70, 0x78);
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, faded);
    p.setColor(QPalette::Disabled, QPalette::Button,
               k.button.lightness() > 128 ? k.button.lighter(104) : k.button.darker(115));
    return p;
}

QString s_current;
} // namespace

QStringList names()
{
    QStringList n;
    for (const Look &k : looks())
        n << k.name;
    return n;
}

QString canonicalName(const QString &name)
{
    for (const Look &k : looks())
        if (k.name.compare(name.trimmed(), Qt::CaseInsensitive) == 0)
            return k.name;
    return {};
}

bool apply(const QString &name)
{
    const QString canonical = canonicalName(name);
    if (canonical.isEmpty())
        return false;
    for (const Look &k : looks())
        if (k.name == canonical) {
            if (QStyle *fusion = QStyleFactory::create(QStringLiteral("Fusion")))
                QApplication::setStyle(fusion);
            QApplication::setPalette(paletteOf(k));
            s_current = k.name;
        }
    return true;
}

QString current()
{
    return s_current;
}

QString applyConfigured(const QString &name, QWidget *messageParent)
{
    if (name.trimmed().isEmpty()) {
        apply(DefaultName);
        return DefaultName;
    }
    if (apply(name))
        return canonicalName(name);
    Messages::error(QStringLiteral("Style '%1' not found").arg(name), messageParent);
    apply(DefaultName);
    return DefaultName;
}

} // namespace Themes
