// Our windows for assistive technology on Qt (AT-SPI on Linux): an
// accessible-interface factory that translates the neutral model of
// accessibility.h. A window is a window or a dialog named by its caption, with
// the model's objects as children in reading order: the menu's list (it stands
// for the cursor picture, whose focus is the list's) and its items, labels as
// static text, named pictures; buttons keep Qt's own interface. Controls the
// model leaves out (the labels under the list, unnamed images, lines) are no
// one's children, and the cursor picture is heard only as the list. The
// list's events are sent as the runtime decides them (tellList), and the
// runtime hears when a bridge to assistive technology comes up. Not here:
// when to announce, selection through assistive technology (the list is
// read-only to it), text and value interfaces.
#include "accessible_qt.h"

#include "accessibility.h"
#include "qtforms.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QPointer>
#include <QPushButton>
#include <QWidget>

#include <string>
#include <utility>
#include <vector>

namespace forms {

namespace {

using a11y::Node;
using a11y::Role;
using a11y::Tree;

// A rectangle of the client area, in twips, on the screen.
QRect onScreen(const QWidget* window, const Rect& r)
{
    return {window->mapToGlobal(QPoint(pixels(r.left), pixels(r.top))), QSize(pixels(r.width), pixels(r.height))};
}

QAccessible::Role qtRole(Role role)
{
    switch (role) {
    case Role::Window: return QAccessible::Window;
    case Role::Dialog: return QAccessible::Dialog;
    case Role::List: return QAccessible::List;
    case Role::ListItem: return QAccessible::ListItem;
    case Role::Button: return QAccessible::Button;
    case Role::Picture: return QAccessible::Graphic;
    case Role::StaticText: break;
    }
    return QAccessible::StaticText;
}

// A label or a picture: its role and name from the model.
class Described : public QAccessibleWidget {
public:
    Described(QWidget* w, const Node& node) : QAccessibleWidget(w, qtRole(node.role)), name_(qstr(node.name)) {}
    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Name ? name_ : QAccessibleWidget::text(t);
    }

private:
    QString name_;
};

// The widgets that stand for the nodes of `tree` with the given parent; the
// list is its cursor widget.
std::vector<QWidget*> widgetsOf(const QWidget* window, std::string_view cursor, const Tree& tree, int parent)
{
    std::vector<QWidget*> out;
    for (const Node& n : tree.nodes)
        if (n.parent == parent && n.role != Role::ListItem)
            if (auto* w = window->findChild<QWidget*>(qstr(n.role == Role::List ? cursor : n.control),
                                                       Qt::FindDirectChildrenOnly))
                out.push_back(w);
    return out;
}

class Item;

// The menu's list: the cursor widget, its selection and focus the cursor's.
class List : public QAccessibleWidget {
public:
    List(QWidget* cursor, Tree tree, int node)
        : QAccessibleWidget(cursor, QAccessible::List), tree_(std::move(tree)), node_(node)
    {
        for (std::size_t i = 0; i < tree_.nodes.size(); ++i)
            if (tree_.nodes[i].parent == node_)
                rows_.push_back(int(i));
        ids_.resize(rows_.size());
    }
    ~List() override
    {
        for (QAccessible::Id id : ids_)
            if (id)
                QAccessible::deleteAccessibleInterface(id);
    }
    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Name ? qstr(tree_.nodes[std::size_t(node_)].name) : QString();
    }
    QRect rect() const override { return onScreen(widget()->window(), tree_.nodes[std::size_t(node_)].rect); }
    int childCount() const override { return int(rows_.size()); }
    QAccessibleInterface* child(int row) const override;
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        for (std::size_t i = 0; i < ids_.size(); ++i)
            if (ids_[i] && QAccessible::accessibleInterface(ids_[i]) == child)
                return int(i);
        return -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override
    {
        for (int i = 0; i < childCount(); ++i)
            if (child(i)->rect().contains(x, y))
                return child(i);
        return nullptr;
    }
    QAccessibleInterface* focusChild() const override
    {
        const int row = selectedRow();
        return row >= 0 && widget()->hasFocus() ? child(row) : nullptr;
    }
    // The row under the cursor, or -1.
    int selectedRow() const
    {
        const Form* form = formOf(widget()->window());
        return form ? a11y::cursorRow(*form) : -1;
    }
    const Node& row(int i) const { return tree_.nodes[std::size_t(rows_[std::size_t(i)])]; }

private:
    Tree tree_;
    int node_;
    std::vector<int> rows_;                    // their nodes
    mutable std::vector<QAccessible::Id> ids_;  // their interfaces, made when first asked for
};

// One row of the list: a title, its details as the description, its row on
// the screen as its bounds.
class Item : public QAccessibleInterface {
public:
    Item(QWidget* cursor, int row) : cursor_(cursor), row_(row) {}
    bool isValid() const override { return cursor_ && list(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return cursor_ ? cursor_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(cursor_.data()); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override
    {
        if (!isValid())
            return {};
        const Node& n = list()->row(row_);
        return t == QAccessible::Name ? qstr(n.name) : t == QAccessible::Description ? qstr(n.description) : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override { return isValid() ? onScreen(cursor_->window(), list()->row(row_).rect) : QRect(); }
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        s.selectable = s.focusable = true;
        s.invisible = !isValid() || !cursor_->isVisible();
        s.selected = isValid() && list()->selectedRow() == row_;
        s.focused = s.selected && cursor_->hasFocus();
        return s;
    }

private:
    const List* list() const { return dynamic_cast<const List*>(parent()); }
    QPointer<QWidget> cursor_;
    int row_;
};

QAccessibleInterface* List::child(int row) const
{
    if (row < 0 || row >= childCount())
        return nullptr;
    QAccessible::Id& id = ids_[std::size_t(row)];
    if (!id)
        id = QAccessible::registerAccessibleInterface(new Item(widget(), row));
    return QAccessible::accessibleInterface(id);
}

// A window of ours: a window or a dialog named by its caption, its children
// the model's in reading order.
class WindowIface : public QAccessibleWidget {
public:
    WindowIface(QWidget* w, const WindowDef& def)
        : QAccessibleWidget(w, qtRole(a11y::describe(def).role)), cursor_(def.list.cursor), tree_(a11y::describe(def))
    {
    }
    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Name ? qstr(tree_.name) : QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.modal = widget()->isModal();
        return s;
    }
    int childCount() const override { return int(children().size()); }
    QAccessibleInterface* child(int i) const override
    {
        const std::vector<QWidget*> all = children();
        return i >= 0 && i < int(all.size()) ? QAccessible::queryAccessibleInterface(all[std::size_t(i)]) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        const std::vector<QWidget*> all = children();
        for (std::size_t i = 0; i < all.size(); ++i)
            if (child && child->object() == all[i])
                return int(i);
        return -1;
    }
    QAccessibleInterface* focusChild() const override
    {
        QWidget* focused = widget()->focusWidget();
        QAccessibleInterface* iface = focused ? QAccessible::queryAccessibleInterface(focused) : nullptr;
        QAccessibleInterface* inner = iface ? iface->focusChild() : nullptr;
        return inner ? inner : iface;
    }

private:
    std::vector<QWidget*> children() const { return widgetsOf(widget(), cursor_, tree_, a11y::kWindow); }
    std::string cursor_;
    Tree tree_;
};

QAccessibleInterface* factory(const QString&, QObject* object)
{
    auto* w = qobject_cast<QWidget*>(object);
    if (!w)
        return nullptr;
    if (const Form* form = formOf(w))
        return new WindowIface(w, form->definition());
    const Form* form = w->parentWidget() && w->parentWidget()->isWindow() ? formOf(w->parentWidget()) : nullptr;
    if (!form || qobject_cast<QPushButton*>(w))
        return nullptr;  // not ours, or a button: Qt's own
    const WindowDef& def = form->definition();
    Tree tree = a11y::describe(def);
    const std::string name = w->objectName().toStdString();
    for (std::size_t i = 0; i < tree.nodes.size(); ++i) {
        const Node& n = tree.nodes[i];
        if (n.role == Role::List && name == def.list.cursor)
            return new List(w, std::move(tree), int(i));
        if (n.control == name)
            return new Described(w, n);
    }
    return nullptr;  // left out of the model: reached by no one
}

// Whether events were dropped while no bridge to assistive technology was up.
bool missed = false;

// A bridge that comes up after our first window has told its focus (on a
// busy machine it can take seconds) has missed it: the runtime tells it
// again, once the bridge has set itself up.
class Listening : public QAccessible::ActivationObserver {
public:
    void accessibilityActiveChanged(bool active) override
    {
        if (active && std::exchange(missed, false))
            QMetaObject::invokeMethod(qApp, [] { assistiveTechnologyStarted(); }, Qt::QueuedConnection);
    }
};

}  // namespace

void installAccessibility()
{
    QAccessible::installFactory(factory);
    static Listening listening;
    QAccessible::installActivationObserver(&listening);
}

bool listening()
{
    missed = missed || !QAccessible::isActive();
    return QAccessible::isActive();
}

void tellList(QWidget* cursor, const std::vector<a11y::Event>& events)
{
    if (!listening())
        return;
    for (const a11y::Event& e : events) {
        QAccessibleEvent event(cursor, e.kind == a11y::Event::Kind::Selection ? QAccessible::Selection
                                                                               : QAccessible::Focus);
        if (e.row >= 0)
            event.setChild(e.row);
        QAccessible::updateAccessibility(&event);
    }
}

}  // namespace forms
