#pragma once

#include <QString>

class QAbstractItemView;
class QMenu;

// Copying grid cells into a spreadsheet: Ctrl+C (and a "Copy" menu item) puts the selected
// cells on the clipboard as tab-separated text under their column titles, numbers unformatted
// and other values as the grid shows them.
namespace GridCopy {

// Adds Ctrl+C to the grid and, when given, a "Copy" item to its popup menu.
void install(QAbstractItemView *view, QMenu *popup = nullptr);

// The text Ctrl+C puts on the clipboard for the grid's selection (its current cell when
// nothing is selected).
QString selectionText(const QAbstractItemView *view);

} // namespace GridCopy
