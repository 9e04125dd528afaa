#include "accessibilityprobe.h"

#include <QAccessible>
#include <QQuickItem>
#include <QVariantList>

namespace {

bool interactive(QAccessibleInterface *iface)
{
    switch (iface->role()) {
    case QAccessible::Button:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::ComboBox:
    case QAccessible::EditableText:
    case QAccessible::SpinBox:
    case QAccessible::Slider:
    case QAccessible::PageTab:
    case QAccessible::MenuItem:
    case QAccessible::Link:
        return true;
    case QAccessible::ListItem:
        // a list item is interactive when it can be pressed
        return iface->actionInterface() && !iface->actionInterface()->actionNames().isEmpty();
    default:
        return false;
    }
}

QString describe(QQuickItem *item, QAccessibleInterface *iface)
{
    const QPointF place = item->mapToScene(QPointF(0, 0));
    // the nearest named items around it say where it is
    QStringList around;
    for (QQuickItem *p = item->parentItem(); p && around.size() < 2; p = p->parentItem()) {
        if (!p->objectName().isEmpty())
            around << p->objectName();
    }
    return QStringLiteral("role %1 \"%2\" %3 at %4,%5 in %6")
        .arg(iface->role())
        .arg(item->objectName(), QString::fromLatin1(item->metaObject()->className()))
        .arg(qRound(place.x()))
        .arg(qRound(place.y()))
        .arg(around.join(QStringLiteral(" < ")));
}

// The name a screen reader hears. Qt names a button or check box after its
// text and a text field after its placeholder only while a screen reader is
// connected (QAccessible::isActive(), which the offscreen platform never is);
// the probe takes those names the same way.
QString nameOf(QQuickItem *item, QAccessibleInterface *iface)
{
    const QString name = iface->text(QAccessible::Name).trimmed();
    if (!name.isEmpty())
        return name;
    switch (iface->role()) {
    case QAccessible::Button:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::MenuItem:
    case QAccessible::PageTab:
        return item->property("text").toString().trimmed();
    case QAccessible::EditableText:
        return item->property("placeholderText").toString().trimmed();
    default:
        return QString();
    }
}

void collect(QQuickItem *item, QStringList &found)
{
    if (!item->isVisible())
        return;
    if (QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(item)) {
        if (interactive(iface) && !iface->state().invisible && nameOf(item, iface).isEmpty())
            found << describe(item, iface);
    }
    const auto children = item->childItems();
    for (QQuickItem *child : children)
        collect(child, found);
}

} // namespace

QStringList AccessibilityProbe::unnamed(QQuickItem *root) const
{
    QStringList found;
    if (!root)
        return found;
    // as when a screen reader connects: the controls take their roles and names now
    QAccessible::setActive(true);
    collect(root, found);
    return found;
}

QVariantList AccessibilityProbe::roleAndName(QQuickItem *item) const
{
    QAccessible::setActive(true);
    QAccessibleInterface *iface = item ? QAccessible::queryAccessibleInterface(item) : nullptr;
    if (!iface)
        return {-1, QString()};
    return {int(iface->role()), nameOf(item, iface)};
}
