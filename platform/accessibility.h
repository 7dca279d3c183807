// What assistive technology is told about a window, decided once for every
// backend: each control's role, name and description, the list a key-preview
// window's rows make, which object has the keyboard, and which events a
// change of the list's cursor or of the keyboard makes, in their order. A
// backend turns this into its platform's accessibility objects and sends the
// events it is given.
#pragma once

#include "forms.h"

#include <string>
#include <vector>

namespace forms::a11y {

enum class Role { Window, Dialog, List, ListItem, StaticText, Button, Picture };

// Nodes are numbered by their place in Tree::nodes. Two numbers are not
// places: the window itself, and none at all.
inline constexpr int kWindow = -1;
inline constexpr int kNone = -2;

struct Node {
    Role role = Role::StaticText;
    std::string name;
    std::string description;
    std::string_view control;  // the control it stands for; empty for the list and its items
    Rect rect{};               // twips, in the client area
    bool focusable = false;
    int parent = kWindow;      // the node it belongs to
    char accessKey = 0;        // buttons: the letter Alt takes, upper case
};

// The window and what it holds, in reading order: the definition's controls
// that are told (hidden ones left out), with the list and its items where
// the first control it covers stands.
struct Tree {
    Role role = Role::Window;  // a borderless window is a dialog
    std::string name;          // its caption
    std::vector<Node> nodes;

    // The node numbered `id`; null for the window, none, or a number out of range.
    const Node* node(int id) const
    {
        return id >= 0 && std::size_t(id) < nodes.size() ? &nodes[std::size_t(id)] : nullptr;
    }
    int list() const;                   // the list's node, or kNone
    std::vector<int> children(int of) const;  // in reading order
};
Tree describe(const WindowDef& def);

// The list's row under the cursor (0 at the top), or -1 when the window has
// no list, is not loaded, or the cursor is off every row.
int cursorRow(const Form& form);
// The list item under the cursor, or kNone.
int selectedItem(const Form& form, const Tree& tree);
// The node with the keyboard: the item under the cursor while the cursor has
// it, else the focused control's; kNone for none.
int focusedNode(const Form& form, const Tree& tree);

// What a window tells of its list, one event after the other.
struct Event {
    enum class Kind { Selection, Focus };
    Kind kind;
    int row;  // the list's row; -1 with Focus: the list itself (the cursor is off every row)
    friend bool operator==(const Event&, const Event&) = default;
};
enum class Change {
    CursorMoved,    // the cursor went to another row
    CursorFocused,  // the cursor took the keyboard (Tab, an arrow, a click, the window activated)
};
// The events `change` makes in `form`: a move selects the new row, and
// focuses it while the cursor has the keyboard; the cursor taking the
// keyboard focuses its row, in a window that has it. Nothing for a window
// without a list.
std::vector<Event> eventsFor(const Form& form, Change change);

// A text as a listener wants it: blank runs (which lay out the labels) as one.
std::string spoken(std::string_view text);

}  // namespace forms::a11y
