#include "game/COrders.h"

#include <cmath>
#include <cstdio>
#include <set>

#include "app/MAux.h"
#include "game/CTape.h"
#include "recipes/CPreparation.h"
#include "recipes/CPreparations.h"

namespace {

void collectKinds(const CPreparation& node, std::set<std::string>& kinds) {
    for (const auto& child : node.getFollowings()) {
        if (const auto& plate = child->getPlate()) kinds.insert(plate->getKind());
        collectKinds(*child, kinds);
    }
}

}  // namespace

std::vector<std::string> COrders::servableKinds(CPreparations& preparations) {
    std::set<std::string> made;
    collectKinds(*preparations.getTable(), made);
    std::vector<std::string> kinds;
    for (const auto& name : preparations.getNames()) {
        if (made.count(name)) kinds.push_back(name);
    }
    return kinds;
}

COrders::COrders(int count, CPreparations& preparations, scene::DisplayObjectContainer* host) {
    if (count <= 0) return;
    const auto names = servableKinds(preparations);
    if (names.empty()) {
        std::fprintf(stderr, "Warning : no recipe makes a plate, so no order can be drawn\n");
        return;
    }
    const double f = CTape::aux_difficult_factor();
    const int base = static_cast<int>(std::floor(60 / f));
    for (int n = 0; n < count; ++n) {
        const int yen = price(static_cast<int>(std::floor(MAux::random() * PRICE_GRADES)));
        const auto i = static_cast<std::size_t>(std::floor(MAux::random() * static_cast<double>(names.size())));
        auto order = std::make_shared<COrder>(names[std::min(i, names.size() - 1)], yen, host);
        const int seconds = static_cast<int>(std::floor(MAux::random() * 60)) + base;
        order->setLifespan(seconds * MAux::ONE_SECOND_IN_FRAMES);
        orders_.push_back(order);
    }
}

COrders::~COrders() { Delete(); }

std::shared_ptr<COrder> COrders::getNextOrder() {
    if (orders_.empty()) return nullptr;
    auto first = orders_.front();
    orders_.erase(orders_.begin());
    return first;
}

void COrders::restoreOrder(const std::shared_ptr<COrder>& order) { orders_.push_back(order); }

void COrders::Delete() {
    for (auto& order : orders_) order->Delete();
}
