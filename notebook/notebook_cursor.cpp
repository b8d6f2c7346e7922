// The cursor, the anchor and the selection as lines go.
#include "notebook/notebook_cursor.h"

#include "notebook/notebook_model.h"

namespace kalix {

void NotebookCursor::select(NotebookLine* first, int startColumn, NotebookLine* last,
                            int endColumn) {
    selectionFirst = first;
    selectionStartColumn = startColumn;
    selectionLast = last;
    selectionEndColumn = endColumn;
}

void NotebookCursor::clearSelection() { select(nullptr, 0, nullptr, 0); }

void NotebookCursor::lineDeleted(const NotebookLine* gone, NotebookLine* neighbour) {
    if (gone == anchorLine) anchorLine = nullptr;
    if (gone == selectionFirst || gone == selectionLast) {
        NotebookLine* first = selectionFirst;
        NotebookLine* last = selectionLast;
        if (gone == first) selectionFirst = gone == last ? nullptr : gone->next;
        if (gone == last) selectionLast = gone == first ? nullptr : gone->previous;
        if (!selectionFirst || !selectionLast) selectionFirst = selectionLast = nullptr;
    }
    if (gone == line) {
        line = neighbour;
        if (line && column > line->text.length()) column = line->text.length();
    }
}

}  // namespace kalix
