#pragma once
// Vector math, the isometric projection and small string helpers shared by the whole game.

#include "core/grid.h"

#include <SFML/System/Vector2.hpp>
#include <SFML/System/Vector3.hpp>
#include <string>

// Programming errors only: stays active in every build type. Data from files or the user
// never reaches it; those get a message and an orderly refusal instead.
[[noreturn]] void assertionFailed(const char* condition, const char* source, int line);
#define MORVANE_ASSERT(condition, source) \
    do { if (!(condition)) assertionFailed(#condition, source, __LINE__); } while (0)

extern const sf::Vector2f ZERO_VECTOR;
extern const float PI;

sf::Vector2f worldToScreen(const sf::Vector2f& p);
sf::Vector2f screenToWorld(const sf::Vector2f& s);

// The game's random source: rand() with its default seed, so every run draws the same
// sequence. The game's odds are laid out for values 0 to 32767; the C library here
// gives more bits, so only the low 15 are used.
int randomInt();
// randomInt() / 32767.0: from 0 to 1, both ends included.
float randomUnit();
// How many numbers randomInt() has drawn: with the seed never changed, where the sequence
// stands. A replay starts from there.
unsigned long long randomDraws();
// The sequence from its start again, as a fresh program has it (tests and benchmarks).
void restartRandom();

float degToRad(float degrees);
float radToDeg(float radians);

float distance(const sf::Vector2f& a, const sf::Vector2f& b);
float dot(const sf::Vector2f& a, const sf::Vector2f& b);
float cross(const sf::Vector2f& a, const sf::Vector2f& b);
float length(const sf::Vector2f& v);
sf::Vector2f normalize(const sf::Vector2f& v);
sf::Vector2f rotate(const sf::Vector2f& v, float degrees);
float angleBetween(const sf::Vector2f& a, const sf::Vector2f& b);

float distance(const sf::Vector3f& a, const sf::Vector3f& b);
float dot(const sf::Vector3f& a, const sf::Vector3f& b);
float length(const sf::Vector3f& v);
sf::Vector3f normalize(const sf::Vector3f& v);

std::string& trimRight(std::string& s);
std::string& trimLeft(std::string& s);
std::string& trim(std::string& s);
