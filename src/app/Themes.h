#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// The named looks the program offers (the ChoosenStyle of Workers.ini).
namespace Themes {

inline const QString DefaultName = QStringLiteral("Lavender Classico");

QStringList names();
// The offered name matching the given one without regard to case; empty when none does.
QString canonicalName(const QString &name);
// Applies the look to the whole application; false (and nothing changed) for an unknown name.
bool apply(const QString &name);
// The look applied last; empty before the first apply.
QString current();
// Start-up rule: an empty name means the default; an unknown one shows "Style '%s' not found"
// once and leaves the default look. Returns the name in effect.
QString applyConfigured(const QString &name, QWidget *messageParent = nullptr);

} // namespace Themes
