#include "EditCaret.h"

void TLxCaretInfo::Allocate()
{
    if (Created || !HasWindow)
        return;
    FShapeWidth = Overwrite ? CaretHeight / 2 : CaretWidth;
    FShapeHeight = CaretHeight;
    Created = true;
    Show();
}

void TLxCaretInfo::Release()
{
    if (!Visible) {
        Created = false;
        return;
    }
    Hide();
    Created = false;
}

void TLxCaretInfo::Hide()
{
    if (Created && Visible) {
        Visible = false;
        if (OnUpdate)
            OnUpdate();
    }
}

void TLxCaretInfo::Show()
{
    if (!Created)
        return;
    if (!Visible && HasWindow && HideCount <= 0)
        Visible = true;
    UpdatePosition();
}

void TLxCaretInfo::UpdatePosition()
{
    if (OnUpdate)
        OnUpdate();
    if (OnMoved)
        OnMoved(X, Y);
}

void TLxCaretInfo::ToggleOverwrite()
{
    const bool wasCreated = Created;
    Release();
    Overwrite = !Overwrite;
    if (wasCreated || HasWindow)
        Allocate();
}

void TLxCaretInfo::BeginUpdate()
{
    ++HideCount;
    Hide();
}

void TLxCaretInfo::EndUpdate()
{
    --HideCount;
    if (HideCount <= 0) {
        HideCount = 0;
        Show();
    }
}

int TLxCaretInfo::GetCoord(int index) const
{
    switch (index) {
    case 0: return X;
    case 1: return Y;
    case 2: return OriginX;
    case 3: return OriginY;
    default: return 0;
    }
}

void TLxCaretInfo::SetOrigin(int x, int y)
{
    OriginX = X = x;
    OriginY = Y = y;
    if (Visible)
        UpdatePosition();
}

void TLxCaretInfo::SetHeight(int h)
{
    if (h == CaretHeight)
        return;
    BeginUpdate();
    CaretHeight = h;
    FShapeHeight = h;
    FShapeWidth = Overwrite ? h / 2 : CaretWidth;
    EndUpdate();
}

void TLxCaretInfo::SetCoord(int axis, int value)
{
    BeginUpdate();
    if (axis == 0)
        X = value;
    else
        Y = value;
    EndUpdate();
}

void TLxCaretInfo::CaretRect(int &x, int &y, int &w, int &h) const
{
    x = X;
    y = Y;
    w = FShapeWidth;
    h = FShapeHeight;
}
