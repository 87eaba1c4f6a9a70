#pragma once

#include <memory>
#include <string>

#include "game/CSlot.h"

// A customer's order: the plate wanted, its price and the customer's patience.
// Pressing it asks the game screen for the order panel.
class COrder : public CSlot {
public:
    // host, when given, tells the order that the pointer has moved elsewhere.
    COrder(const std::string& kind, int yen, scene::DisplayObjectContainer* host = nullptr);
    ~COrder() override;

    // Removes the order's listeners, including the one on its host.
    void Delete() override;
    virtual const std::string& getKind() const { return kind_; }
    virtual std::shared_ptr<COrder> clone() const;
    virtual void listener_click(scene::MouseEvent& event);
    virtual void listener_over(scene::MouseEvent& event);
    virtual void listener_out(scene::MouseEvent& event);

    std::string kind_;

private:
    scene::DisplayObjectContainer* host_ = nullptr;
    std::weak_ptr<void> host_life_;
};
