#include "game/CTape.h"

#include <cmath>
#include <algorithm>

#include "app/CSound.h"
#include "app/MAux.h"
#include "app/DataFiles.h"
#include "game/CScore.h"
#include "game/CTapeHost.h"
#include "recipes/CPxIcon.h"

int CTape::frame_delay_ = 0;

namespace {

// "X,Y"; a missing or unreadable number reads as 0.
scene::Point coordinate(const std::vector<std::string>& tokens, std::size_t index) {
    if (index >= tokens.size()) return {0, 0};
    const auto xy = DataFiles::splitAt(tokens[index], ",");
    const double x = static_cast<double>(DataFiles::readInt(xy[0]));
    const double y = xy.size() > 1 ? static_cast<double>(DataFiles::readInt(xy[1])) : 0.0;
    return {x, y};
}

}  // namespace

CTape::CTape(const std::string& image, const std::string& path) {
    aux_calculate_tape_coordinates(path);
    aux_calculate_slot_coordinates();
    position_ = 0;
    slots_ = static_cast<int>(slot_coordinates_.size());
    tape_.assign(slots_, nullptr);
    count_for_next_order_ = 2 * MAux::ONE_SECOND_IN_FRAMES;
    count_for_next_consume_ = 5 * MAux::ONE_SECOND_IN_FRAMES;
    addChild(std::make_shared<scene::Bitmap>(MAux::getBitmapData("assets/tavoli/" + image)));
    addEventListener(scene::Event::ENTER_FRAME, this, &CTape::aux_step_tape);
}

void CTape::aux_calculate_tape_coordinates(const std::string& path) {
    coordinates_ = readPath(MAux::getText("assets/tavoli/" + path));
}

std::vector<scene::Point> CTape::readPath(const std::string& text) {
    std::vector<scene::Point> points;
    scene::Point p0{0, 0};
    scene::Point offset{0, 0};
    bool appended = false;
    scene::Point last;
    for (const auto& line : DataFiles::crlfRecords(text)) {
        if (line.empty()) continue;
        const auto tokens = DataFiles::splitAt(line, " ");
        if (tokens[0] == "#") {
            offset = coordinate(tokens, 1);
            continue;
        }
        if (tokens.size() == 1) {
            p0 = coordinate(tokens, 0);
            continue;
        }
        const scene::Point p1 = coordinate(tokens, 0);
        const scene::Point p2 = coordinate(tokens, 1);
        const scene::Point p3 = coordinate(tokens, 2);
        for (int i = 0; i < POINTS_PER_SEGMENT; ++i) {
            const double t = static_cast<double>(i) / POINTS_PER_SEGMENT;
            const auto ix = [](double v) { return static_cast<int>(v); };
            const scene::Point p{MAux::bezier(ix(p0.x), ix(p1.x), ix(p2.x), ix(p3.x), t) + offset.x,
                                 MAux::bezier(ix(p0.y), ix(p1.y), ix(p2.y), ix(p3.y), t) + offset.y};
            if (!appended || MAux::distance(p, last) > POINT_SPACING) {
                points.push_back(p);
                last = p;
                appended = true;
            }
        }
        p0 = p3;
    }
    return points;
}

void CTape::aux_calculate_slot_coordinates() {
    slot_offsets_ = slotOffsets(coordinates_);
    slot_coordinates_.clear();
    for (int i : slot_offsets_) slot_coordinates_.push_back(coordinates_[static_cast<std::size_t>(i)]);
}

std::vector<int> CTape::slotOffsets(const std::vector<scene::Point>& path) {
    std::vector<int> offsets;
    if (path.empty()) return offsets;
    scene::Point reference = path[0];
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (MAux::distance(path[i], reference) > SLOT_SPACING) {
            offsets.push_back(static_cast<int>(i));
            reference = path[i];
        }
    }
    return offsets;
}

void CTape::aux_reorder() {
    // Lower items are drawn over higher ones; the belt picture stays at the bottom.
    const int n = numChildren();
    if (n <= 2) return;
    bool swapped = true;
    while (swapped) {
        swapped = false;
        for (int c = 1; c + 1 < n; ++c) {
            if (getChildAt(c + 1)->y() < getChildAt(c)->y()) {
                addChildAt(removeChildAt(c), c + 1);
                swapped = true;
            }
        }
    }
}

CTapeHost* CTape::host() const { return dynamic_cast<CTapeHost*>(parent()); }

int CTape::aux_dx(const CSlot& item) { return -static_cast<int>(std::floor(400 - item.x())); }
int CTape::aux_dy(const CSlot& item) { return -static_cast<int>(std::floor(240 - item.y())); }

double CTape::aux_difficult_factor() {
    const double f = CPxIcon::get_difficult_factor(CScore::px_);
    return std::isfinite(f) && f > 0 ? f : 1.0;
}

void CTape::aux_advance() {
    const int n = static_cast<int>(coordinates_.size());
    if (n == 0) return;
    position_ += 1;
    if (position_ > n) position_ %= n;
    for (int i = 0; i < slots_; ++i) slot_coordinates_[i] = coordinates_[(slot_offsets_[i] + position_) % n];
    for (int d = 0; d < slots_; ++d) {
        const auto& item = tape_[d];
        if (!item) continue;
        if (!item->parent()) addChild(item);
        if (!item->isDead()) {
            item->setX(slot_coordinates_[d].x - 34);
            item->setY(slot_coordinates_[d].y - 42);
        }
    }
    aux_reorder();
}

void CTape::aux_size_by_height(CSlot& item) {
    if (item.numChildren() == 0) return;
    // Above the window the picture shrinks with its height; from y 350 down
    // the formula would divide by zero or turn negative, and the picture keeps its full size.
    double size = ITEM_SIZE;
    if (item.y() < 350) size = std::min<double>(ITEM_SIZE, ITEM_SIZE / ((350 - item.y()) / 350));
    auto picture = item.getChildAt(0);
    picture->setWidth(size);
    picture->setHeight(size);
}

void CTape::aux_step_tape(scene::Event&) {
    // The host may end the game and the screen during this step; stay alive until it returns.
    auto keep = shared_from_this();
    frame_delay_ += 1;
    if (frame_delay_ >= ADVANCE_EVERY) {
        frame_delay_ = 0;
        aux_advance();
    }

    for (int d = 0; d < slots_; ++d) {
        const std::shared_ptr<CSlot> e = tape_[d];
        if (!e) continue;
        aux_size_by_height(*e);
        e->decrementLifespan();
        if (!e->isImmortal() && e->getLifespan() < 4 * MAux::ONE_SECOND_IN_FRAMES && !e->getPositive() &&
            !e->isDead()) {
            e->hurryUp(aux_dx(*e), aux_dy(*e));
        }
        if (!e->isDead()) continue;
        if (e->getPositive()) e->eatedUp(aux_dx(*e), aux_dy(*e));
        if (!e->isDying()) {
            if (auto* h = host()) h->listener_dead_slot(e);
            tape_[d] = nullptr;
            removeChild(e);
            e->Delete();
            continue;
        }
        e->hurryNoMore();
        const double s = e->getPositive() ? 1 : -1;
        const double k = CSlot::COUNTDOWN - e->getCountdown();
        const double a = (400 - e->x()) / 100;
        const double b = (240 - e->y()) / 100;
        e->setX(e->x() - s * a * k * 0.0625);
        e->setY(e->y() - s * b * k * 0.0625);
    }
    aux_reorder();

    count_for_next_order_ -= 1;
    if (count_for_next_order_ <= 0) {
        // At least one frame, or a large factor could stall the order clock for good.
        const int next = static_cast<int>(std::floor(30 / aux_difficult_factor())) +
                         static_cast<int>(std::floor(MAux::random() * 30)) * MAux::ONE_SECOND_IN_FRAMES;
        count_for_next_order_ = std::max(1, next);
        if (auto* h = host()) h->listener_new_order();
    }

    count_for_next_consume_ -= 1;
    if (count_for_next_consume_ <= 0) {
        count_for_next_consume_ = 10 * MAux::ONE_SECOND_IN_FRAMES;
        if (auto* h = host()) h->listener_new_consume();
    }

    if (auto* h = host(); h && h->listener_game_over()) Delete();
}

void CTape::decreaseNewOrderCounter() {
    count_for_next_order_ -= MAux::ONE_SECOND_IN_FRAMES;
    if (count_for_next_order_ <= 0) count_for_next_order_ = 1;
}

void CTape::Delete() { removeEventListener(scene::Event::ENTER_FRAME, this, &CTape::aux_step_tape); }

bool CTape::replaceOrderWithPlate(const std::shared_ptr<CPlate>& plate) {
    int chosen = -1;
    int least = 9999999;
    for (int d = slots_ - 1; d >= 0; --d) {
        auto* order = dynamic_cast<COrder*>(tape_[d].get());
        if (!order || order->getKind() != plate->getKind()) continue;
        if (order->getLifespan() < least) {
            least = order->getLifespan();
            chosen = d;
        }
    }
    if (chosen < 0) return false;
    const auto order = tape_[chosen];
    plate->setYen(order->yen_);
    tape_[chosen] = plate;
    removeChild(order);
    order->Delete();
    return true;
}

bool CTape::aux_put(const std::shared_ptr<CSlot>& item) {
    for (int d = slots_ - 1; d >= 0; --d) {
        if (!tape_[d]) {
            tape_[d] = item;
            return true;
        }
    }
    return false;
}

bool CTape::putPlate(const std::shared_ptr<CPlate>& plate) { return aux_put(plate); }

bool CTape::putOrder(const std::shared_ptr<COrder>& order) {
    if (!aux_put(order)) return false;
    CSound("ordine");
    return true;
}

void CTape::listener_remove_plate(const std::shared_ptr<CPlate>& plate) {
    for (int d = 0; d < slots_; ++d) {
        if (tape_[d] && tape_[d] == plate) {
            tape_[d] = nullptr;
            removeChild(plate);
            return;
        }
    }
}

std::shared_ptr<CPlate> CTape::getAnyPlateNotOrdered() {
    for (const auto& item : tape_) {
        auto plate = std::dynamic_pointer_cast<CPlate>(item);
        if (plate && !plate->getPositive() && (plate->isImmortal() || plate->lifespan_ > 1)) return plate;
    }
    return nullptr;
}

bool CTape::isEmpty() const {
    for (const auto& item : tape_) {
        if (item) return false;
    }
    return true;
}
