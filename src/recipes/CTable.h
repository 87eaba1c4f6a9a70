#pragma once

#include <memory>

#include "recipes/CPreparation.h"
#include "platform/Display.h"

// The preparation table: shows the recipe-tree node the picks have reached. It
// has no picture of its own, so only a shown preparation can be clicked; a
// click asks the screen holding the table to serve or throw it away.
class CTable : public scene::Sprite {
public:
    CTable();

    // Removes the table's listeners; the game calls it when it tears down.
    virtual void Delete();
    // Null changes nothing; the root empties the table; another node replaces
    // the shown one unless it has the same number.
    virtual void showPreparation(const std::shared_ptr<CPreparation>& preparation);
    virtual void listener_click(scene::MouseEvent& event);
    const std::shared_ptr<CPreparation>& getCurrentPreparation() const { return actual_; }
    virtual void listener_over(scene::MouseEvent& event);
    virtual void listener_out(scene::MouseEvent& event);

private:
    std::shared_ptr<CPreparation> actual_;
};
