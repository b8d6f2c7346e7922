// How the notebook is shown: the first line in view, the horizontal
// scroll, the row and text area heights, and the caret. The window paints
// from it; the editor moves it with the cursor.
//
// Threads: owned by whichever thread holds the "Text" lock (textLock);
// read and written only under it (the window paints under it).
#pragma once

namespace kalix {

class NotebookLine;
class NotebookMetrics;

class NotebookView {
  public:
    NotebookLine* getTopLine() const { return topLine; }
    void setTopLine(NotebookLine* line) { topLine = line; }
    // Pixels the text is scrolled to the left.
    int getHorizontalScroll() const { return horizontalScroll; }
    void setHorizontalScroll(int pixels) { horizontalScroll = pixels; }
    // Pixels above the first row.
    int getTopMargin() const { return topMargin; }

    // Height of a text row (0 until first measured) and of the text area.
    int getLineHeight() const { return lineHeight; }
    int getVisibleHeight() const { return visibleHeight; }
    // Takes both heights from the metrics.
    void measure(NotebookMetrics& metrics);

    // The caret, in pixels of the text area (-1000 when out of view).
    int getCaretX() const { return caretX; }
    int getCaretY() const { return caretY; }
    int getCaretWidth() const { return caretWidth; }
    int getCaretHeight() const { return caretHeight; }
    void placeCaret(int x, int y, int width, int height);

    // The view scrolls to keep the cursor in sight (off after a scroll by
    // the bars, on again after an edit).
    int getFollowCursor() const { return followCursor; }
    void setFollowCursor(int value) { followCursor = value; }
    // Off while pictures are being placed: the window waits to paint.
    int getShowPaint() const { return showPaint; }
    void setShowPaint(int value) { showPaint = value; }

    // A line goes: a view that starts there starts at `neighbour`.
    void lineDeleted(const NotebookLine* gone, NotebookLine* neighbour);

  private:
    NotebookLine* topLine = nullptr;
    int horizontalScroll = 0;
    int topMargin = 5;
    int lineHeight = 0;
    int visibleHeight = 0;
    int caretX = -1000, caretY = -1000;
    int caretWidth = 2, caretHeight = 0;
    int followCursor = 1;
    int showPaint = 1;
};

}  // namespace kalix
