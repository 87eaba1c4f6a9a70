#pragma once

#include <memory>
#include <string>
#include <vector>

#include "game/COrder.h"
#include "platform/Display.h"

class CPreparations;

// The orders of a game not yet on the belt, all drawn when the game starts:
// price, kind and patience at random; the first in line is served next.
class COrders {
public:
    // Kinds are drawn only among plates that some recipe can make; with none,
    // the queue stays empty and says why on standard error.
    COrders(int count, CPreparations& preparations, scene::DisplayObjectContainer* host);
    ~COrders();
    COrders(const COrders&) = delete;
    COrders& operator=(const COrders&) = delete;

    // An order costs one of a few prices.
    static constexpr int PRICE_GRADES = 5;
    static int price(int grade) { return (grade + 5) * 50; }

    int getOrdersCount() const { return static_cast<int>(orders_.size()); }
    // Takes the first order out of the queue; null when it is empty.
    std::shared_ptr<COrder> getNextOrder();
    // A refused order goes to the back of the queue.
    void restoreOrder(const std::shared_ptr<COrder>& order);
    bool isEmpty() const { return orders_.empty(); }
    // Stops the listeners of every order still waiting (the game is over).
    void Delete();

    // The kinds an order may ask for: the recipe tree's names, keeping their
    // repetitions, less those no node below the root makes.
    static std::vector<std::string> servableKinds(CPreparations& preparations);

    std::vector<std::shared_ptr<COrder>> orders_;
};
