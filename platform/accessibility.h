// What assistive technology is told about a window, decided once for every
// backend: each control's role, name and description, the list a key-preview
// window's rows make, which object has the keyboard, and when to announce.
// A backend turns this into its platform's accessibility objects and events.
#pragma once

#include "forms.h"

#include <string>
#include <vector>

namespace forms::a11y {

enum class Role { Window, Dialog, List, ListItem, StaticText, Button, Picture };

struct Node {
    Role role = Role::StaticText;
    std::string name;
    std::string description;
    std::string_view control;  // the control it stands for; empty for the list and its items
    Rect rect{};               // twips, in the client area
    bool focusable = false;
    int parent = -1;           // index of the node it belongs to; -1: the window
    char accessKey = 0;        // buttons: the letter Alt takes, upper case
};

// The window and what it holds, in reading order: the definition's controls
// that are told (hidden ones left out), with the list and its items where
// the first control it covers stands.
struct Tree {
    Role role = Role::Window;  // a borderless window is a dialog
    std::string name;          // its caption
    std::vector<Node> nodes;
};
Tree describe(const WindowDef& def);

// The list item under the cursor, or -1 (none, or no list).
int selectedItem(const Form& form, const Tree& tree);
// The node with the keyboard: the item under the cursor while the cursor has
// it, else the focused control's; -1 for none.
int focusedNode(const Form& form, const Tree& tree);

// A text as a listener wants it: blank runs (which lay out the labels) as one.
std::string spoken(std::string_view text);

}  // namespace forms::a11y
