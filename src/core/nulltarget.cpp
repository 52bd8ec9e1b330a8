#include "core/nulltarget.h"

NullTarget::NullTarget(sf::Vector2u sizeIn) : size(sizeIn) {}

sf::Vector2u NullTarget::getSize() const { return size; }

bool NullTarget::setActive(bool) { return false; }
