// The view's heights, caret and top line.
#include "notebook/notebook_view.h"

#include "notebook/notebook_host.h"

namespace kalix {

void NotebookView::measure(NotebookMetrics& metrics) {
    lineHeight = metrics.lineHeight();
    visibleHeight = metrics.visibleHeight();
    caretHeight = lineHeight;
}

void NotebookView::placeCaret(int x, int y, int width, int height) {
    caretX = x;
    caretY = y;
    caretWidth = width;
    caretHeight = height;
}

void NotebookView::lineDeleted(const NotebookLine* gone, NotebookLine* neighbour) {
    if (gone == topLine) topLine = neighbour;
}

}  // namespace kalix
