#pragma once

#include <memory>

class CSlot;
class COrder;

// What the belt and the orders on it call on their owner, the game screen.
class CTapeHost {
public:
    virtual ~CTapeHost() = default;
    // An item has finished its life and its disappearance; it has left the belt.
    virtual void listener_dead_slot(const std::shared_ptr<CSlot>& item) = 0;
    virtual void listener_new_order() = 0;
    virtual void listener_new_consume() = 0;
    // Polled every frame; true once the game has ended.
    virtual bool listener_game_over() = 0;
    virtual void listener_order_click(const std::shared_ptr<COrder>& order) = 0;
};
