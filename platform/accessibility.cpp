#include "accessibility.h"

#include <algorithm>
#include <utility>

namespace forms::a11y {

namespace {

bool covered(const WindowDef& def, std::string_view control)
{
    return std::find(def.list.covers.begin(), def.list.covers.end(), control) != def.list.covers.end();
}

}  // namespace

std::string spoken(std::string_view text)
{
    std::string out;
    for (char c : text)
        if (c != ' ' || (!out.empty() && out.back() != ' '))
            out += c;
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

Tree describe(const WindowDef& def)
{
    Tree tree{def.border == BorderStyle::None ? Role::Dialog : Role::Window, std::string(def.caption), {}};
    bool listPlaced = false;
    for (const ControlDef& c : def.controls) {
        if (!def.list.rows.empty() && covered(def, c.name)) {
            if (std::exchange(listPlaced, true))
                continue;
            const int list = int(tree.nodes.size());
            const ListRow& first = def.list.rows.front();
            const ListRow& last = def.list.rows.back();
            const Rect all{first.rect.left, first.rect.top, first.rect.width,
                           last.rect.top + last.rect.height - first.rect.top};
            tree.nodes.push_back({Role::List, std::string(def.list.name), {}, {}, all, false, kWindow, 0});
            for (const ListRow& row : def.list.rows)
                tree.nodes.push_back({Role::ListItem, row.name, row.description, {}, row.rect, true, list, 0});
            continue;
        }
        switch (c.kind) {
        case ControlKind::Label:
            tree.nodes.push_back({Role::StaticText, spoken(c.text), {}, c.name, c.rect});
            break;
        case ControlKind::CommandButton: {
            tree.nodes.push_back({Role::Button, shownCaption(c.text), {}, c.name, c.rect, true, kWindow, accessKey(c.text)});
            break;
        }
        case ControlKind::PictureBox:
        case ControlKind::Image:
            if (!c.accessibleName.empty())
                tree.nodes.push_back({Role::Picture, std::string(c.accessibleName), {}, c.name, c.rect,
                                      c.kind == ControlKind::PictureBox});
            break;
        case ControlKind::Line:
            break;
        }
    }
    return tree;
}

int Tree::list() const
{
    for (std::size_t i = 0; i < nodes.size(); ++i)
        if (nodes[i].role == Role::List)
            return int(i);
    return kNone;
}

std::vector<int> Tree::children(int of) const
{
    std::vector<int> found;
    for (std::size_t i = 0; i < nodes.size(); ++i)
        if (nodes[i].parent == of)
            found.push_back(int(i));
    return found;
}

int cursorRow(const Form& form)
{
    const ListDef& list = form.definition().list;
    if (!form.isLoaded())
        return -1;
    const float top = form.top(list.cursor);
    for (std::size_t row = 0; row < list.rows.size(); ++row)
        if (list.rows[row].stop == top)
            return int(row);
    return -1;
}

int selectedItem(const Form& form, const Tree& tree)
{
    const int list = tree.list(), row = cursorRow(form);
    return list == kNone || row < 0 || !tree.node(list + 1 + row) ? kNone : list + 1 + row;
}

int focusedNode(const Form& form, const Tree& tree)
{
    const std::string_view focus = form.focused();
    if (focus.empty())
        return kNone;
    if (!form.definition().list.rows.empty() && focus == form.definition().list.cursor)
        return selectedItem(form, tree);
    for (std::size_t i = 0; i < tree.nodes.size(); ++i)
        if (tree.nodes[i].control == focus)
            return int(i);
    return kNone;
}

std::vector<Event> eventsFor(const Form& form, Change change)
{
    const ListDef& list = form.definition().list;
    if (list.rows.empty() || !form.isLoaded())
        return {};
    const int row = cursorRow(form);
    const bool keyboard = form.hasKeyboard() && form.focused() == list.cursor;
    switch (change) {
    case Change::CursorMoved:
        if (row < 0)
            return {};
        if (keyboard)
            return {{Event::Kind::Selection, row}, {Event::Kind::Focus, row}};
        return {{Event::Kind::Selection, row}};
    case Change::CursorFocused:
        if (keyboard)
            return {{Event::Kind::Focus, row}};
        return {};
    }
    return {};
}

}  // namespace forms::a11y
