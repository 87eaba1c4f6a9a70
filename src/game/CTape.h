#pragma once

#include <memory>
#include <string>
#include <vector>

#include "game/COrder.h"
#include "game/CPlate.h"
#include "game/CSlot.h"
#include "platform/Display.h"

class CTapeHost;

// The conveyor belt: a closed path read from a curve file, cut into slots 80
// pixels apart, that carries orders and plates, ages them, animates their
// departure and drives the game's clocks. Its display parent must be the game
// screen (a CTapeHost), which it calls back every frame.
class CTape : public scene::Sprite {
public:
    static constexpr int POINTS_PER_SEGMENT = 200;
    static constexpr int ADVANCE_EVERY = 16;
    static constexpr double POINT_SPACING = 20;
    static constexpr double SLOT_SPACING = 80;
    static constexpr int ITEM_SIZE = 64;

    // Both names are relative to "assets/tavoli/". A path file that gives no
    // slot (a damaged package) makes a belt that takes nothing: the game then
    // waits for the player to quit it.
    CTape(const std::string& image, const std::string& path);

    virtual void aux_calculate_tape_coordinates(const std::string& path);
    virtual void aux_calculate_slot_coordinates();
    // The points of a path file's text, POINT_SPACING apart along its curves.
    static std::vector<scene::Point> readPath(const std::string& text);
    // Indexes of the path points where slots sit, SLOT_SPACING apart.
    static std::vector<int> slotOffsets(const std::vector<scene::Point>& path);
    virtual void aux_reorder();
    virtual void aux_step_tape(scene::Event& event);
    // Brings the next order one second closer, never to less than one frame.
    virtual void decreaseNewOrderCounter();
    virtual void Delete();
    // Puts the plate in place of the waiting order of its kind closest to
    // expiring; the plate takes the order's price.
    virtual bool replaceOrderWithPlate(const std::shared_ptr<CPlate>& plate);
    // Both use the free slot with the highest index; false when the belt is full.
    virtual bool putPlate(const std::shared_ptr<CPlate>& plate);
    virtual bool putOrder(const std::shared_ptr<COrder>& order);
    virtual void listener_remove_plate(const std::shared_ptr<CPlate>& plate);
    // The first plate that no customer has taken and that still has life to give.
    virtual std::shared_ptr<CPlate> getAnyPlateNotOrdered();
    virtual bool isEmpty() const;

    // The difficulty factor of the player's experience, usable as a divisor:
    // a level table without a positive factor for these points counts as 1.
    static double aux_difficult_factor();

    std::vector<scene::Point> coordinates_;
    std::vector<int> slot_offsets_;
    std::vector<scene::Point> slot_coordinates_;
    std::vector<std::shared_ptr<CSlot>> tape_;
    int count_for_next_order_ = 0;
    int count_for_next_consume_ = 0;
    int position_ = 0;
    int slots_ = 0;

    // Frames since the last advance, shared by every belt of the run.
    static int frame_delay_;
    // Back to the state at program start (tests only).
    static void reset() { frame_delay_ = 0; }

private:
    CTapeHost* host() const;
    bool aux_put(const std::shared_ptr<CSlot>& item);
    void aux_advance();
    void aux_size_by_height(CSlot& item);
    // The item's offset from the middle of the window, as the faces expect it.
    static int aux_dx(const CSlot& item);
    static int aux_dy(const CSlot& item);
};
