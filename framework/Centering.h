// Where a window goes when it is centred over another rectangle and kept inside the
// work area. Pure arithmetic, shared by the dialogs and the host tests.
#pragma once

struct CenterRect {
    int left, top, right, bottom;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

struct CenterPoint {
    int x, y;
};

// Top-left corner for a window of size (width x height) centred over `over`, then moved
// so that it lies inside `workArea` (its top-left edge wins when it is larger than the area).
inline CenterPoint CenteredOrigin(int width, int height, const CenterRect& over, const CenterRect& workArea)
{
    CenterPoint pt;
    pt.x = over.left + (over.Width() - width) / 2;
    pt.y = over.top + (over.Height() - height) / 2;
    if (pt.x + width > workArea.right)
        pt.x = workArea.right - width;
    if (pt.y + height > workArea.bottom)
        pt.y = workArea.bottom - height;
    if (pt.x < workArea.left)
        pt.x = workArea.left;
    if (pt.y < workArea.top)
        pt.y = workArea.top;
    return pt;
}
