#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/Display.h"

// A small face that looks one of nine ways, chosen by an offset from the
// middle of the window (400, 240): left, middle or right, up, level or down.
class CCharacter : public scene::Sprite {
public:
    CCharacter();

    // Row 0, 3 or 6 by dy (thresholds -50 and 50), column 0, 1 or 2 by dx
    // (middle, left of -100, right of 100).
    virtual int aux_dx_dy_to_direction(int dx, int dy);
    virtual int aux_d_to_x(int d, int w);
    virtual int aux_d_to_y(int d, int h);
    // Stores the picture "assets/personaggi/" + name + ".png" for the cell (ix, iy), each in -1..1.
    virtual void setDisposition(int ix, int iy, const std::string& name);
    // Shows the picture for the offset; with reposition, moves to the edge of
    // the parent's picture (its child 0) that faces away from the middle.
    virtual void updateDisposition(int dx, int dy, bool reposition);

    std::vector<std::shared_ptr<scene::Bitmap>> dispositions_;

protected:
    // The nine setDisposition calls: prefix + "_d", "_c", "_s" for ix = -1, 0, 1.
    void aux_set_dispositions(const std::string& prefix);
};
