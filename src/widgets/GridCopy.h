#pragma once

#include <QString>

class QAbstractItemView;
class QAction;
class QMenu;

// Copying grid cells into a spreadsheet: Ctrl+C (and a "Copy" menu item) puts the selected
// cells on the clipboard as tab-separated text under their column titles, numbers unformatted
// and other values as the grid shows them.
namespace GridCopy {

// Adds Ctrl+C to the grid and a "Copy" item to its popup menu: the one given, or else a popup
// of its own holding that item.
void install(QAbstractItemView *view, QMenu *popup = nullptr);

// The grid's "Copy" action (for a popup menu made after install()); null when not installed.
QAction *copyAction(const QAbstractItemView *view);

// The text Ctrl+C puts on the clipboard for the grid's selection (its current cell when
// nothing is selected).
QString selectionText(const QAbstractItemView *view);

} // namespace GridCopy
