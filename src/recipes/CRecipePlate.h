#pragma once

#include <string>
#include <utility>

// A plate as the recipe tree knows it: the kind a finished preparation makes.
// The tree keeps one per recipe as a template; the game's belt plate derives
// from this class and puts clones of the templates on the belt.
class CRecipePlate {
public:
    explicit CRecipePlate(std::string kind) : kind_(std::move(kind)) {}
    virtual ~CRecipePlate() = default;

    virtual std::string getKind() const { return kind_; }

private:
    std::string kind_;
};
