#pragma once

#include <QObject>
#include <QStringList>

class QQuickItem;

// What assistive technology learns of the items on screen, asked through
// QAccessible as a screen reader would ask: which of the interactive elements
// (buttons, check boxes, combo boxes, text fields, spin boxes, list items with
// actions) under an item have no name to be read out.
class AccessibilityProbe : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // The visible interactive elements under `root` (itself included) that have
    // no accessible name, one line each: role, object name, type and place.
    Q_INVOKABLE QStringList unnamed(QQuickItem *root) const;
    // The accessible role (QAccessible::Role) and name of `item`: [role, name];
    // [-1, ""] when it has none.
    Q_INVOKABLE QVariantList roleAndName(QQuickItem *item) const;
};
