// The caret's state for a caret the editor widget draws itself: position in widget pixels,
// size, the half-square shape of overwrite mode, and the nesting of hide and show.
//
// The widget paints CaretRect() while IsShown(); OnUpdate asks it to repaint the old and new
// caret rectangles, OnMoved tells it where the input method's window should follow.
#ifndef TOVIK_EDITOR_EDITCARET_H
#define TOVIK_EDITOR_EDITCARET_H

#include <functional>

class TLxCaretInfo {
public:
    TLxCaretInfo() = default;

    // Creates the caret (bar, or half-square block in overwrite mode) and shows it.
    void Allocate();
    // Hides and destroys it (the widget lost the focus).
    void Release();
    void Hide();
    void Show();
    // Reports the position (OnUpdate, OnMoved).
    void UpdatePosition();
    // Release, flip the overwrite mode, Allocate.
    void ToggleOverwrite();
    // Nesting: hidden while the count is above 0.
    void BeginUpdate();
    void EndUpdate();
    // 0 X, 1 Y, 2 OriginX, 3 OriginY.
    int GetCoord(int index) const;
    bool IsOverwrite() const { return Overwrite; }
    void SetOrigin(int x, int y);
    // Takes effect at the next Allocate.
    void SetHeight(int h);
    void SetCoord(int axis, int value);

    // Whether the caret is to be drawn now, and where (widget pixels).
    bool IsShown() const { return Created && Visible; }
    void CaretRect(int &x, int &y, int &w, int &h) const;

    int X = 0;
    int Y = 0;
    int HideCount = 0;
    int CaretWidth = 1;
    int CaretHeight = 12;
    bool Visible = false;
    bool Created = false;
    int OriginX = 0;
    int OriginY = 0;
    bool Overwrite = false;
    // Whether a window exists to draw into (the widget sets it).
    bool HasWindow = false;

    std::function<void()> OnUpdate;
    std::function<void(int x, int y)> OnMoved;

private:
    int FShapeWidth = 1;
    int FShapeHeight = 12;
};

#endif
